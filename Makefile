# Front door: `make demo` builds the programs and runs the example, `make test` builds and runs every
# test, `make install PREFIX=...` installs the three programs and their man pages.
# `make` (or `make build`) builds everything, the tests included; BUILD_TESTING=OFF leaves the tests
# (and GoogleTest) out, as `make demo` and `make install` do.
# SANITIZE=1 builds with AddressSanitizer and UndefinedBehaviorSanitizer in its own directory,
# TSAN=1 with ThreadSanitizer in another.
# `make fuzz` builds the libFuzzer targets with clang (tests/fuzz/, separate from the normal
# build) and runs each for FUZZ_SECONDS seconds.
# BROWSER_TESTS=1 adds the test that renders the HTML report in headless Chromium.
#
# Missing packages are installed with `apt-get install --no-install-recommends`, as root or through
# passwordless sudo; otherwise make prints the command to run and stops:
#   make demo, make install   cmake g++ make zlib1g-dev (zlib for trellis2-prep and trellis2-annotate)
#   make build                the same and libgtest-dev
#   make test                 the same, snakemake and diamond-aligner (the workflow's test), and
#                             chromium with BROWSER_TESTS=1
#   make deps-workflow        snakemake and diamond-aligner alone (the workflow in workflow/)

SANITIZE ?= 0
TSAN ?= 0
ifeq ($(SANITIZE),1)
BUILD_DIR ?= build-sanitize
CMAKE_FLAGS += -DSANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
else ifeq ($(TSAN),1)
BUILD_DIR ?= build-tsan
CMAKE_FLAGS += -DTSAN=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
else
BUILD_DIR ?= build
CMAKE_FLAGS += -DCMAKE_BUILD_TYPE=Release
endif
BROWSER_TESTS ?= 0
ifeq ($(BROWSER_TESTS),1)
CMAKE_FLAGS += -DBROWSER_TESTS=ON
else
CMAKE_FLAGS += -DBROWSER_TESTS=OFF
endif
BUILD_TESTING ?= ON
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
DEMO_OUT ?= demo-out
FUZZ_SECONDS ?= 60
PREFIX ?= /usr/local

BUILD_PACKAGES := cmake g++ make zlib1g-dev
TEST_BUILD_PACKAGES := $(BUILD_PACKAGES) libgtest-dev $(if $(filter 1,$(BROWSER_TESTS)),chromium)
WORKFLOW_PACKAGES := snakemake diamond-aligner
# The command that a message about missing packages asks to run again.
AGAIN ?= make $(or $(MAKECMDGOALS),all)

# One apt-get at a time, and the targets of one command line in their order.
.NOTPARALLEL:
.PHONY: all build deps deps-build deps-test deps-workflow deps-quality test demo fuzz install clean

all: build

# $(call install_missing,PACKAGES): installs those of the Debian PACKAGES that are missing. A
# package counts as present when its program or header is there, however it was installed.
define install_missing
@missing=""; \
for package in $(1); do \
  case $$package in \
    zlib1g-dev) [ -f /usr/include/zlib.h ] ;; \
    libgtest-dev) [ -f /usr/include/gtest/gtest.h ] ;; \
    diamond-aligner) command -v diamond >/dev/null 2>&1 ;; \
    chromium) command -v chromium >/dev/null 2>&1 || command -v chromium-browser >/dev/null 2>&1 ;; \
    *) command -v $$package >/dev/null 2>&1 ;; \
  esac || missing="$$missing $$package"; \
done; \
[ -n "$$missing" ] || exit 0; \
if ! command -v apt-get >/dev/null 2>&1; then \
  echo "make: missing:$$missing (Debian package names)." >&2; \
  echo "make: there is no apt-get here: install them with this system's package manager, or use" >&2; \
  echo "make: the conda recipe in recipe/, then run '$(AGAIN)' again." >&2; \
  exit 1; \
elif [ "$$(id -u)" = 0 ]; then \
  sudo=""; \
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then \
  sudo="sudo"; \
else \
  echo "make: missing:$$missing. Installing them needs root; run" >&2; \
  echo "  sudo apt-get update && sudo apt-get install --no-install-recommends$$missing" >&2; \
  echo "make: then run '$(AGAIN)' again." >&2; \
  exit 1; \
fi; \
echo "Installing:$$missing"; \
$$sudo apt-get update && \
  $$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends$$missing
endef

deps-build:
	$(call install_missing,$(if $(filter ON,$(BUILD_TESTING)),$(TEST_BUILD_PACKAGES),$(BUILD_PACKAGES)))

deps-test:
	$(call install_missing,$(TEST_BUILD_PACKAGES) $(WORKFLOW_PACKAGES))

deps-workflow:
	$(call install_missing,$(WORKFLOW_PACKAGES))

# The annotations of the quality benchmark (bench/quality.sh): the Gene Ontology (r-bioc-go.db),
# human gene -> GO and UniProt (r-bioc-org.hs.eg.db) and Swiss-Prot GO (metastudent-data), about
# 1.4 GB installed. Neither the build nor the tests need them. Without root the command is printed.
QUALITY_PACKAGES = r-bioc-go.db r-bioc-org.hs.eg.db metastudent-data
deps-quality:
	@missing=""; \
	for p in $(QUALITY_PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	command -v python3 >/dev/null 2>&1 || missing="$$missing python3"; \
	if [ -z "$$missing" ]; then echo "The annotation packages are installed."; \
	elif [ "$$(id -u)" = 0 ]; then \
	  echo "Installing:$$missing"; \
	  apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; \
	else \
	  echo "Not root: install the annotation packages with"; \
	  echo "  sudo apt-get install -y --no-install-recommends$$missing"; \
	fi

# Everything `make test` needs.
deps: deps-test

build: deps-build
	cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) -DBUILD_TESTING=$(BUILD_TESTING) -DBUILD_TOOLS=ON >/dev/null
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: deps-test build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# The programs alone, without the tests.
demo:
	@$(MAKE) --no-print-directory build BUILD_TESTING=OFF AGAIN="$(AGAIN)"
	./$(BUILD_DIR)/trellis2 3 examples/demo $(DEMO_OUT)
	@echo
	@echo "Results are in $(DEMO_OUT)/ (alignments/ and species_0 .. species_2/; summary: complexes.tsv,"
	@echo "complexes.sif and nodes.tsv for Cytoscape, report.html for a browser)."
	@first=$$(ls $(DEMO_OUT)/alignments 2>/dev/null | head -n 1); \
	if [ -n "$$first" ]; then \
	  id=$${first#ucomplex_}; \
	  echo "== $(DEMO_OUT)/alignments/$$first"; cat $(DEMO_OUT)/alignments/$$first; \
	  for s in 0 1 2; do echo "== $(DEMO_OUT)/species_$$s/complex_$$id"; cat $(DEMO_OUT)/species_$$s/complex_$$id; done; \
	fi

# Installs trellis2, trellis2-prep, trellis2-annotate and their man pages under PREFIX (bin/, share/man/man1/).
install:
	@$(MAKE) --no-print-directory build BUILD_TESTING=OFF AGAIN="$(AGAIN)"
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

fuzz:
	$(MAKE) -C tests/fuzz run FUZZ_SECONDS=$(FUZZ_SECONDS) -j $(JOBS)

clean:
	rm -rf build build-sanitize build-tsan build-fuzz build-recipe $(DEMO_OUT)
