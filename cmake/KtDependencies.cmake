# The platform's dependencies are declared with kt_platform_dependency(), after ktplatform is
# made (src/CMakeLists.txt). Each call finds the package, links it to ktplatform and records it,
# so that the installed package finds it again (find_dependency in ktlookupConfig.cmake) and the
# pkg-config file requires it. Nothing else needs to change when a dependency is added.
#
#   kt_platform_dependency(<Package> TARGETS <imported targets...> PKGCONFIG <module>)
#       find_package(<Package> REQUIRED) and link its targets, e.g.
#       kt_platform_dependency(SQLite3 TARGETS SQLite::SQLite3 PKGCONFIG sqlite3)
#   kt_platform_dependency(PKGCONFIG <module>)
#       a pkg-config module only, linked as the target PkgConfig::KT_<module>, e.g.
#       kt_platform_dependency(PKGCONFIG x11)
#
# An optional part calls it inside its own if(KT_WITH_...) block: the installed package then
# asks for exactly what the build used.

function(kt_platform_dependency)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "PKGCONFIG" "TARGETS")
  set(package "${arg_UNPARSED_ARGUMENTS}")
  if(NOT arg_PKGCONFIG)
    message(FATAL_ERROR "kt_platform_dependency(${package}): give the pkg-config module (PKGCONFIG)")
  endif()
  if(package)
    if(NOT arg_TARGETS)
      message(FATAL_ERROR "kt_platform_dependency(${package}): name its imported targets (TARGETS)")
    endif()
    find_package(${package} REQUIRED)
    set(find "find_dependency(${package})")
  else()
    string(MAKE_C_IDENTIFIER "KT_${arg_PKGCONFIG}" prefix)
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(${prefix} REQUIRED IMPORTED_TARGET ${arg_PKGCONFIG})
    set(arg_TARGETS PkgConfig::${prefix})
    string(CONCAT find
      "find_dependency(PkgConfig)\n"
      "pkg_check_modules(${prefix} QUIET IMPORTED_TARGET ${arg_PKGCONFIG})\n"
      "if(NOT ${prefix}_FOUND)\n"
      "  set(ktlookup_FOUND FALSE)\n"
      "  set(ktlookup_NOT_FOUND_MESSAGE \"the pkg-config module ${arg_PKGCONFIG} was not found\")\n"
      "  return()\n"
      "endif()")
  endif()
  target_link_libraries(ktplatform PUBLIC ${arg_TARGETS})
  set_property(GLOBAL APPEND_STRING PROPERTY KT_CONFIG_DEPENDENCIES "${find}\n")
  set_property(GLOBAL APPEND PROPERTY KT_PKGCONFIG_REQUIRES ${arg_PKGCONFIG})
endfunction()
