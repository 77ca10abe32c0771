# Hardening and reproducible paths for the programs, as a distribution builds
# them.
#
# Hardening: the flags of dpkg-buildflags where it exists, so a distribution's
# build gets its own; all of Debian's hardening (PIE, stack protector,
# fortified functions, read-only relocations bound at start) unless
# DEB_BUILD_MAINT_OPTIONS says otherwise. Without dpkg-buildflags the same
# set is written out here. The build type keeps the say over optimisation and
# debug information. _FORTIFY_SOURCE needs optimisation, so a build type
# without it leaves it out instead of warning, and sanitizer builds, whose
# runtimes intercept the same functions, take none of these flags.
#
# Reproducible paths: the source and build folders are mapped to fixed names
# in the debug information, in __FILE__ and in assertion texts, so two
# builds of one commit in different folders give the same bytes.

if(VANTORA_SANITIZE)
  return()
endif()

find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(DPKG_BUILDFLAGS)
  if(DEFINED ENV{DEB_BUILD_MAINT_OPTIONS})
    set(maint_options "$ENV{DEB_BUILD_MAINT_OPTIONS}")
  else()
    set(maint_options "hardening=+all")
  endif()
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env "DEB_BUILD_MAINT_OPTIONS=${maint_options}"
              ${DPKG_BUILDFLAGS} --get ${kind}
      OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE
      RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "dpkg-buildflags --get ${kind} failed")
    endif()
    separate_arguments(flags UNIX_COMMAND "${flags}")
    set(debian_${kind} ${flags})
  endforeach()
else()
  set(debian_CPPFLAGS -Wdate-time -D_FORTIFY_SOURCE=2)
  set(debian_CXXFLAGS -fstack-protector-strong -fstack-clash-protection -Wformat
                      -Werror=format-security -fcf-protection)
  set(debian_LDFLAGS -Wl,-z,relro -Wl,-z,now)
endif()

# The build type chooses -O and -g; dpkg-buildflags' own prefix map names
# the folder CMake ran in, which need not be either of ours.
set(vantora_compile_flags)
foreach(flag IN LISTS debian_CPPFLAGS debian_CXXFLAGS)
  if(NOT flag MATCHES "^-O|^-g$|^-ffile-prefix-map=|^-fdebug-prefix-map=")
    list(APPEND vantora_compile_flags ${flag})
  endif()
endforeach()
string(TOUPPER "${CMAKE_BUILD_TYPE}" build_type)
if(NOT "${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${build_type}}" MATCHES "-O[1-9sgz]|-Ofast")
  list(FILTER vantora_compile_flags EXCLUDE REGEX "^-D_FORTIFY_SOURCE|^-U_FORTIFY_SOURCE")
endif()
add_compile_options(${vantora_compile_flags})
add_link_options(${debian_LDFLAGS})
# The executables are position independent, whatever the compiler's default.
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
include(CheckPIESupported)
check_pie_supported()

# The source folder first: a later map is tried first, and the build folder
# (the compiler's working folder) may lie inside the source folder.
add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.
                    -ffile-prefix-map=${PROJECT_BINARY_DIR}=build)
