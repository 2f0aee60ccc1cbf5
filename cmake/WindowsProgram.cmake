# What the shipped Windows programs, tarnwick.exe and tarnwick-cli.exe, get beyond their sources:
# they stay small, and one commit gives the same bytes wherever it is built, so that anyone can
# check a download against a build of their own. tools/exe-sizes.sh and
# tools/reproducible-build.sh check both. The test programs are linked without this.

# tarnwick_windows_program(<target>)
function(tarnwick_windows_program target)
  # The runtime's demangler, its throw helpers and its threads library, left out (see the files).
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/platform/win32/NoDemangler.cpp
                                   ${PROJECT_SOURCE_DIR}/platform/win32/LeanThrows.cpp
                                   ${PROJECT_SOURCE_DIR}/platform/win32/LeanThreads.cpp)
  target_link_options(${target} PRIVATE
    # No symbols in the shipped file.
    -s
    # Sections that nothing refers to are left out (the top-level CMakeLists.txt gives each function
    # its own). Little goes on PE: the linker keeps all unwind tables, and they refer to every
    # function of the C++ runtime's objects that are linked.
    -Wl,--gc-sections
    # The time of the link in the PE header would make every build of the program differ.
    -Wl,--no-insert-timestamp)
endfunction()

# tarnwick_map_build_paths(<dir>...)
# Maps the folders of this machine away wherever the compiler writes a path (__FILE__, debug
# information) in the objects of every target of the product's directories, so that nothing in the
# programs can depend on where the tree and its build are. Not the tests': they find their data
# from __FILE__.
function(tarnwick_map_build_paths)
  foreach(dir IN LISTS ARGN)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
      target_compile_options(${target} PRIVATE
        "$<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=>"
        "$<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}/=>")
    endforeach()
  endforeach()
endfunction()
