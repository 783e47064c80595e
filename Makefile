# Two commands set everything up: `make play` and `make test`.
JOBS ?= 2
RELEASE := build/release
ASAN := build/asan

.PHONY: play release test asan bench clean

play: release
	./$(RELEASE)/morvaquint

release:
	cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(RELEASE) -j $(JOBS)

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
	rm -rf build
