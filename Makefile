# Front door: `make` builds, `make test` runs every test, `make demo` runs the example,
# `make install PREFIX=...` installs the three programs and their man pages.
# SANITIZE=1 builds with AddressSanitizer and UndefinedBehaviorSanitizer in its own directory,
# TSAN=1 with ThreadSanitizer in another.
# `make fuzz` builds the libFuzzer targets with clang (tests/fuzz/, separate from the normal
# build) and runs each for FUZZ_SECONDS seconds.
# BROWSER_TESTS=1 adds the test that renders the HTML report in headless Chromium (installed
# with apt-get when missing).

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
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
DEMO_OUT ?= demo-out
FUZZ_SECONDS ?= 60
PREFIX ?= /usr/local

.PHONY: all build deps deps-quality test demo fuzz install clean

all: build

# Installs the build tools, GoogleTest and zlib (for trellis2-prep and trellis2-annotate), Snakemake
# and DIAMOND (the workflow in workflow/ and its test) when they are missing, and Chromium for
# BROWSER_TESTS=1.
deps:
	@missing=""; \
	command -v cmake >/dev/null 2>&1 || missing="$$missing cmake"; \
	command -v g++ >/dev/null 2>&1 || missing="$$missing g++"; \
	command -v make >/dev/null 2>&1 || missing="$$missing make"; \
	[ -f /usr/include/gtest/gtest.h ] || missing="$$missing libgtest-dev"; \
	[ -f /usr/include/zlib.h ] || missing="$$missing zlib1g-dev"; \
	command -v snakemake >/dev/null 2>&1 || missing="$$missing snakemake"; \
	command -v diamond >/dev/null 2>&1 || missing="$$missing diamond-aligner"; \
	if [ "$(BROWSER_TESTS)" = 1 ]; then \
	  command -v chromium >/dev/null 2>&1 || missing="$$missing chromium"; \
	fi; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y $$missing; \
	fi

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

build: deps
	cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) >/dev/null
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

demo: build
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
install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

fuzz:
	$(MAKE) -C tests/fuzz run FUZZ_SECONDS=$(FUZZ_SECONDS) -j $(JOBS)

clean:
	rm -rf build build-sanitize build-tsan build-fuzz $(DEMO_OUT)
