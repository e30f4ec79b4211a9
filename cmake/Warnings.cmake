# Compiler warnings. Every target of the project compiles with the same set;
# -Werror (KESTREL_WERROR) applies to the folders that compile clean, so that
# a new warning there fails the build while the others are being cleaned.
option(KESTREL_WERROR "Treat compiler warnings as errors in the folders listed in KESTREL_WERROR_FOLDERS" OFF)

# The folders whose targets (subfolders included) compile without a warning.
set(KESTREL_WERROR_FOLDERS text codec platform services buffers commands engine console bufferwriter programs tests bench)

add_compile_options(-Wall -Wextra -Wshadow -Wconversion)
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  # clang's -Wconversion also reports every signed/unsigned mix, which GCC's
  # leaves to -Wsign-conversion; both compilers report the same set this way.
  add_compile_options(-Wno-sign-conversion)
endif()
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  # GCC 12 reports impossible overlaps in inlined std::string code at -O2 (its bug 105329).
  add_compile_options(-Wno-restrict)
endif()

# The targets defined in <dir> and in its subfolders of this project (not in
# a third-party tree such as GoogleTest's, which tests/ adds).
function(kestrel_targets_under dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir IN LISTS subdirs)
    cmake_path(IS_PREFIX PROJECT_SOURCE_DIR ${subdir} NORMALIZE inside)
    if(inside)
      kestrel_targets_under(${subdir} more)
      list(APPEND targets ${more})
    endif()
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

# Called once every folder has been added.
function(kestrel_apply_werror)
  if(NOT KESTREL_WERROR)
    return()
  endif()
  foreach(folder IN LISTS KESTREL_WERROR_FOLDERS)
    if(NOT EXISTS ${PROJECT_SOURCE_DIR}/${folder})
      message(FATAL_ERROR "KESTREL_WERROR_FOLDERS names ${folder}, which is not a folder of the project")
    endif()
    # A folder that this configuration does not build (bench/ without
    # KESTREL_BUILD_BENCH) has no targets.
    get_property(added DIRECTORY ${PROJECT_SOURCE_DIR} PROPERTY SUBDIRECTORIES)
    if(NOT ${PROJECT_SOURCE_DIR}/${folder} IN_LIST added)
      continue()
    endif()
    kestrel_targets_under(${PROJECT_SOURCE_DIR}/${folder} targets)
    foreach(target IN LISTS targets)
      get_target_property(type ${target} TYPE)
      if(NOT type STREQUAL "INTERFACE_LIBRARY" AND NOT type STREQUAL "UTILITY")
        target_compile_options(${target} PRIVATE -Werror)
      endif()
    endforeach()
  endforeach()
endfunction()
