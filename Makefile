# The set-up commands of a fresh Debian 12 machine: `make demo`, `make test` and `make run`.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: deps configure build demo run test format check-format clean

deps:
	@if [ "$$(id -u)" -eq 0 ] || command -v sudo >/dev/null; then ./scripts/install-deps.sh; fi

configure: deps
	cmake -S . -B $(BUILD) -G Ninja

# Optimised with the profile of a training run on the example (scripts/build.sh; PGO=0 without it).
build: deps
	./scripts/build.sh $(BUILD) $(JOBS)

demo: build
	./scripts/demo.sh $(BUILD)

# The desktop program on the bundled example.
run: build
	$(BUILD)/src/app/kelmora examples/factory.kel

test: build
	./scripts/check-format.sh
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	./scripts/fuzz.sh 60

format:
	find src tests bench fuzz tools -name '*.cpp' -o -name '*.h' | xargs clang-format -i

check-format:
	./scripts/check-format.sh

clean:
	rm -rf $(BUILD)
