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

bench: build
	bash scripts/with-postgres bash -c 'for b in $(BUILD)/bench/bench_*; do [ -f "$$b" ] && [ -x "$$b" ] || continue; "$$b" || exit 1; done'

clean:
	rm -rf $(BUILD)
