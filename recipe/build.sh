#!/bin/bash
# Builds and installs trellis2, trellis2-prep and trellis2-annotate (with their man pages) into
# $PREFIX: a Release build of those three alone (no tests, no generator, no benchmark tools).
# conda-build runs it in $SRC_DIR; CMAKE_ARGS (conda's toolchain and prefix settings) is
# passed on when set. RECIPE_BUILD_DIR names another build directory: CI gives it its own Release
# build, whose objects then serve as they are.
set -euo pipefail

build_dir="${RECIPE_BUILD_DIR:-${SRC_DIR}/build-recipe}"
# shellcheck disable=SC2086  # CMAKE_ARGS is a list of arguments
cmake -S "${SRC_DIR}" -B "${build_dir}" ${CMAKE_ARGS:-} \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="${PREFIX}" \
  -DBUILD_TESTING=OFF \
  -DBUILD_TOOLS=OFF
cmake --build "${build_dir}" -j "${CPU_COUNT:-1}" --target trellis2 trellis2-prep trellis2-annotate
cmake --install "${build_dir}"
