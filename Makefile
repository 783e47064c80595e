# Two commands set everything up: `make play` and `make test`.
JOBS ?= 2
RELEASE := build/release
ASAN := build/asan
PGO := build/pgo
# The profile-guided build is trained on the bench at this depth.
PGO_TRAIN_DEPTH := 7
FUZZ := build/fuzz
FUZZ_TARGETS := position movetext protocol
# Seconds of fuzzing per target for `make fuzz`, and for the short runs of `make test`.
FUZZ_SECONDS ?= 60
FUZZ_SMOKE_SECONDS ?= 5
# The protocol target's inputs reach thousands of features each; weighing them all after every
# run (the entropic schedule) costs twice the run itself, so that target goes without it.
FUZZ_PROTOCOL_OPTIONS := -entropic=0

# Where `make install` puts the engine (PREFIX/games) and its opening book
# (PREFIX/share/morvaquint, where the installed engine looks for it).
PREFIX ?= /usr/local
# Everything the profile-guided binary is built from: with none of it changed since the last
# training, `make play` starts the trained binary at once.
PGO_INPUTS := $(shell find src -name '*.cpp' -o -name '*.h') CMakeLists.txt Makefile \
	book/openings.txt
PGO_STAMP := $(PGO)/trained.stamp

.PHONY: play book release pgo test asan bench clean fuzz-build fuzz fuzz-smoke install

# The engine plays the profile-guided binary when that builds and passes its check, else the
# release. Each build holds its own opening book beside its binary, so it runs from anywhere.
play:
	@if $(MAKE) --no-print-directory pgo; then ./$(PGO)/morvaquint; \
	else echo "Profile-guided build failed: playing the release build."; ./$(RELEASE)/morvaquint; fi

# The opening book is built from the readable lines of book/openings.txt by the engine itself
# (its own move reader and position keys) beside every binary; `book` copies it to the root.
book: release
	cp $(RELEASE)/Morvabook.bok Morvabook.bok

# Configured once; the build itself reconfigures when the CMake files or the source list change.
release:
	@[ -f $(RELEASE)/CMakeCache.txt ] || cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(RELEASE) -j $(JOBS)

install: release
	cmake --install $(RELEASE) --prefix $(PREFIX)

pgo: $(PGO_STAMP)

# Profile-guided build: an instrumented binary searches the bench, the same tree is rebuilt
# from that profile, and the result must search the bench tree of the release build node for
# node (its count at depth 6) before it is used. The stamp records a trained binary that
# passed; the release build is brought up to date first, but its rebuild alone (the same
# sources) does not call for training again.
$(PGO_STAMP): $(PGO_INPUTS) | release
	rm -f $(PGO)/morvaquint $(PGO_STAMP)
	find $(PGO) -name '*.gcda' -delete 2>/dev/null || true
	cmake -S . -B $(PGO) -DCMAKE_BUILD_TYPE=Release -DMORVA_PGO=generate >/dev/null
	cmake --build $(PGO) -j $(JOBS) --target morvaquint
	./$(PGO)/morvaquint bench $(PGO_TRAIN_DEPTH) >/dev/null
	cmake -S . -B $(PGO) -DCMAKE_BUILD_TYPE=Release -DMORVA_PGO=use >/dev/null
	cmake --build $(PGO) -j $(JOBS) --target morvaquint
	@want=$$(./$(RELEASE)/morvaquint bench 6 | grep '^bench:' | cut -d' ' -f2); \
	got=$$(./$(PGO)/morvaquint bench 6 | grep '^bench:' | cut -d' ' -f2); \
	if [ "$$want" != "$$got" ]; then \
		echo "pgo: bench 6 searched $$got nodes, the release build $$want"; \
		rm -f $(PGO)/morvaquint; exit 1; fi
	cp $(RELEASE)/Morvabook.bok $(PGO)/Morvabook.bok
	touch $(PGO_STAMP)

asan:
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DMORVA_SANITIZE=ON >/dev/null
	cmake --build $(ASAN) -j $(JOBS)

# Unit and end-to-end tests under the sanitizers; the end-to-end tests again on the release
# build, where perft runs to the full reference depths.
test: asan release fuzz-smoke
	cd $(ASAN) && ctest --output-on-failure -L 'unit|e2e'
	cd $(RELEASE) && ctest --output-on-failure -L e2e

fuzz-build:
	cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ -DMORVA_FUZZ=ON \
		>/dev/null
	cmake --build $(FUZZ) -j $(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))

# The fuzzers run in a scratch folder: whole-program input can make the engine write files
# (the console's "pgn FILE"), which must not land in the source tree.
FUZZ_DIR := $(CURDIR)/$(FUZZ)
FUZZ_RUN := mkdir -p $(FUZZ_DIR)/work && cd $(FUZZ_DIR)/work &&

# Each target in turn for FUZZ_SECONDS, growing its corpus under build/fuzz/corpus (the seeds
# in fuzz/corpus stay as committed); a finding stops the run and leaves its input in build/fuzz.
fuzz: fuzz-build
	@for t in $(FUZZ_TARGETS); do \
		mkdir -p $(FUZZ)/corpus/$$t && \
		( $(FUZZ_RUN) $(FUZZ_DIR)/fuzz/fuzz_$$t $(FUZZ_DIR)/corpus/$$t $(CURDIR)/fuzz/corpus/$$t \
			-max_total_time=$(FUZZ_SECONDS) -timeout=30 -max_len=4096 -print_final_stats=1 \
			-artifact_prefix=$(FUZZ_DIR)/ $$([ $$t = protocol ] && echo $(FUZZ_PROTOCOL_OPTIONS)) ) \
			|| exit 1; \
	done

# A few seconds of each target on its seeds, so that a regression shows in every test run;
# a fixed seed keeps the mutations the same from run to run. Then every reproducer kept under
# fuzz/regressions/TARGET/ runs once more through its target.
fuzz-smoke: fuzz-build
	@for t in $(FUZZ_TARGETS); do \
		rm -rf $(FUZZ)/smoke/$$t && mkdir -p $(FUZZ)/smoke/$$t && \
		( $(FUZZ_RUN) $(FUZZ_DIR)/fuzz/fuzz_$$t $(FUZZ_DIR)/smoke/$$t $(CURDIR)/fuzz/corpus/$$t \
			-max_total_time=$(FUZZ_SMOKE_SECONDS) -seed=1 -timeout=30 -max_len=4096 \
			-artifact_prefix=$(FUZZ_DIR)/ $$([ $$t = protocol ] && echo $(FUZZ_PROTOCOL_OPTIONS)) \
			2>$(FUZZ_DIR)/smoke/$$t.log ) || \
			{ tail -40 $(FUZZ)/smoke/$$t.log; exit 1; }; \
		echo "fuzz_$$t: $$(grep -o 'Done [0-9]* runs' $(FUZZ)/smoke/$$t.log)"; \
	done
	@for t in $(FUZZ_TARGETS); do \
		for f in fuzz/regressions/$$t/*; do \
			[ -f "$$f" ] || continue; \
			( $(FUZZ_RUN) $(FUZZ_DIR)/fuzz/fuzz_$$t $(CURDIR)/$$f >$(FUZZ_DIR)/smoke/replay.log 2>&1 ) || \
				{ tail -40 $(FUZZ)/smoke/replay.log; echo "fuzz_$$t: $$f fails again"; exit 1; }; \
			echo "fuzz_$$t: $$f replayed"; \
		done; \
	done

bench: release
	./$(RELEASE)/morvaquint bench

clean:
	rm -rf build Morvabook.bok
