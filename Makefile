# The set-up commands of a fresh Debian 12 machine: `make demo`, `make test` and `make run`.
BUILD ?= build
SAN_BUILD ?= build-san
JOBS ?= $(shell nproc)
# Seconds each fuzzer runs in `make test`; hours all of them share in `make fuzz`.
FUZZ_SECONDS ?= 20
HOURS ?= 1
# The soak of the desktop program under the sanitizers in `make test`, from a fixed seed.
SOAK_DURATION ?= 2m
export SAN_BUILD JOBS

.PHONY: deps configure build demo run test fuzz soak check-deps format check-format clean

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

# The format first (it takes a second), then the programs of `make demo` and `make run` with their
# tests and the fuzzers; the guard against packages missing from scripts/install-deps.sh; every test;
# then side by side, each on a core of its own: the desktop program soaked under the sanitizers for
# SOAK_DURATION, and each fuzzer for FUZZ_SECONDS, one after the other (its report follows the soak's).
test: deps check-format build
	./scripts/fuzz.sh --build
	./scripts/soak.sh --build
	./scripts/check-deps.sh $(BUILD) $(SAN_BUILD)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@mkdir -p $(SAN_BUILD)/fuzz; export SAN_BUILT=1; \
	JOBS=1 ./scripts/fuzz.sh $(FUZZ_SECONDS) >$(SAN_BUILD)/fuzz/make-test.log 2>&1 & fuzz=$$!; \
	./scripts/soak.sh $(SOAK_DURATION) 1; soak=$$?; \
	wait $$fuzz; fuzz=$$?; cat $(SAN_BUILD)/fuzz/make-test.log; \
	test $$soak -eq 0 && test $$fuzz -eq 0

# Long fuzzing: the fuzzers share HOURS of wall time, JOBS at a time.
fuzz: deps
	./scripts/fuzz.sh --hours $(HOURS)

# Long soaks of the desktop program under the sanitizers, from a fresh seed.
soak: deps
	./scripts/soak.sh $(HOURS)

check-deps:
	./scripts/check-deps.sh $(BUILD) $(wildcard $(SAN_BUILD))

format:
	find src tests bench fuzz tools -name '*.cpp' -o -name '*.h' | xargs clang-format -i

check-format:
	./scripts/check-format.sh

clean:
	rm -rf $(BUILD) $(SAN_BUILD)
