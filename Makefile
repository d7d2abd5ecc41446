# The two commands of the README: `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build test test-sanitize run bench clean

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

# The whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer, on
# both engines, in a build folder of its own; any report fails the suite that
# caused it. Not part of `make test`: it takes several times as long.
SANBUILD ?= build-sanitize
SANFLAGS = -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer

test-sanitize: deps
	@if [ ! -f $(SANBUILD)/build.ninja ]; then \
	  cmake -S . -B $(SANBUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DCMAKE_CXX_FLAGS="$(SANFLAGS)" -DCMAKE_C_FLAGS="$(SANFLAGS)" \
	    -DCMAKE_EXE_LINKER_FLAGS="$(SANFLAGS)" -DRH_TEST_TIMEOUT=3600; \
	fi
	cmake --build $(SANBUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:strict_string_checks=1 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 QTEST_FUNCTION_TIMEOUT=3000000 \
	QT_QPA_PLATFORM=offscreen bash scripts/with-postgres \
	  ctest --test-dir $(SANBUILD) --output-on-failure -j $(JOBS)

# The embedded installation of `make run`: var/ of the checkout (git ignores
# it). The parameter, alias and settings files are written on the first start
# only; the dictionary, the help map and the help pages on every run.
RUNDIR ?= var

run: build
	@mkdir -p $(RUNDIR)/DATOS $(RUNDIR)/help $(RUNDIR)/impresos
	@for f in PARAMETROS.TXT ALIAS.INI QEVWIN.INI; do \
	  [ -f $(RUNDIR)/$$f ] || cp data/$$f $(RUNDIR)/$$f; \
	done
	@cp data/DATABASE.TXT $(RUNDIR)/DATABASE.TXT
	@cp data/DATABASE.TXT $(RUNDIR)/DATOS/DATABASE.TXT
	@cp data/help/QEVWIN.MAP $(RUNDIR)/QEVWIN.MAP
	@cp data/help/*.html $(RUNDIR)/help/
	@cp data/impresos/*.TXT $(RUNDIR)/impresos/
	cd $(RUNDIR) && $(abspath $(BUILD))/src/app/korvand $(ARGS)

# Run with TZ unset, as on most desktops: the figures then include whatever
# the C library does per local-time conversion without it.
bench: build
	env -u TZ bash scripts/with-postgres bash -c 'for b in $(BUILD)/bench/bench_*; do [ -f "$$b" ] && [ -x "$$b" ] || continue; "$$b" || exit 1; done'

clean:
	rm -rf $(BUILD)
