# Two commands set everything up: `make play` and `make test`.
JOBS ?= 2
RELEASE := build/release
ASAN := build/asan

.PHONY: play book release test asan bench clean

# The engine runs from the repository root, where `book` leaves the opening book it reads.
play: book
	./$(RELEASE)/morvaquint

# The opening book is built from the readable lines of book/openings.txt by the engine itself
# (its own move reader and position keys); the .bok file is a build product.
book: release
	./$(RELEASE)/morvaquint makebook book/openings.txt Morvabook.bok

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
	rm -rf build Morvabook.bok
