# Two commands set everything up: `make play` and `make test`.
JOBS ?= 2
RELEASE := build/release
ASAN := build/asan
PGO := build/pgo
# The profile-guided build is trained on the bench at this depth.
PGO_TRAIN_DEPTH := 7

.PHONY: play book release pgo test asan bench clean

# The engine runs from the repository root, where `book` leaves the opening book it reads.
# It plays the profile-guided binary when that builds and passes its check, else the release.
play: book
	@if $(MAKE) --no-print-directory pgo; then ./$(PGO)/morvaquint; \
	else echo "Profile-guided build failed: playing the release build."; ./$(RELEASE)/morvaquint; fi

# The opening book is built from the readable lines of book/openings.txt by the engine itself
# (its own move reader and position keys); the .bok file is a build product.
book: release
	./$(RELEASE)/morvaquint makebook book/openings.txt Morvabook.bok

release:
	cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(RELEASE) -j $(JOBS)

# Profile-guided build: an instrumented binary searches the bench, the same tree is rebuilt
# from that profile, and the result must search the bench tree of the release build node for
# node (its count at depth 6) before it is used.
pgo: release
	rm -f $(PGO)/morvaquint
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

asan:
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DMORVA_SANITIZE=ON >/dev/null
	cmake --build $(ASAN) -j $(JOBS)

# Unit and end-to-end tests under the sanitizers; the end-to-end tests again on the release
# build, where perft runs to the full reference depths.
test: asan release
	cd $(ASAN) && ctest --output-on-failure -L 'unit|e2e'
	cd $(RELEASE) && ctest --output-on-failure -L e2e

bench: release
	./$(RELEASE)/morvaquint bench

clean:
	rm -rf build Morvabook.bok
