# Sourced by package.sh and test.sh: the CMake flags of the packaged program, Debian's
# hardening included. Debug information is left out: the package strips it anyway.
# shellcheck shell=bash
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
export DEB_CXXFLAGS_MAINT_STRIP=-g
package_cmake_flags=(
  -DCMAKE_BUILD_TYPE=Release
  "-DCMAKE_CXX_FLAGS=$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
  "-DCMAKE_EXE_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)"
)
