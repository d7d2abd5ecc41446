# The two commands of the README: `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build test run bench clean

all: build

deps:
	bash scripts/install-deps

configure: deps
	@if [ ! -f $(BUILD)/build.ninja ]; then \
	  cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo; \
	fi

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	QT_QPA_PLATFORM=offscreen bash scripts/with-postgres \
	  ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

run: build
	@if [ -x $(BUILD)/src/app/korvand ]; then $(BUILD)/src/app/korvand; \
	else echo "El programa todavía no tiene punto de entrada (korvand)."; fi

bench: build
	bash scripts/with-postgres bash -c 'for b in $(BUILD)/bench/bench_*; do [ -f "$$b" ] && [ -x "$$b" ] || continue; "$$b" || exit 1; done'

clean:
	rm -rf $(BUILD)
