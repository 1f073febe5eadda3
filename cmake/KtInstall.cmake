# Install rules: the headers (include/ktlookup/platform/..., include/ktlookup/lookup/...), the
# static libraries, the CMake package (ktlookup::ktlookup, ktlookup::ktplatform, with its
# version file) and a pkg-config file. Everything is placed relative to the prefix, so the tree
# may be installed anywhere (cmake --install build --prefix DIR) and moved afterwards.
include(CMakePackageConfigHelpers)

set(KT_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/ktlookup)
set(KT_PKGCONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

install(TARGETS ktplatform ktlookup EXPORT ktlookupTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/src/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/ktlookup
  FILES_MATCHING PATTERN "*.h")
install(EXPORT ktlookupTargets NAMESPACE ktlookup:: DESTINATION ${KT_CMAKE_DIR})

get_property(KT_CONFIG_DEPENDENCIES GLOBAL PROPERTY KT_CONFIG_DEPENDENCIES)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/ktlookupConfig.cmake.in
  ${PROJECT_BINARY_DIR}/ktlookupConfig.cmake INSTALL_DESTINATION ${KT_CMAKE_DIR})
# 0.x releases: a change of the minor version may break the interface.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/ktlookupConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/ktlookupConfig.cmake ${PROJECT_BINARY_DIR}/ktlookupConfigVersion.cmake
  DESTINATION ${KT_CMAKE_DIR})

# The pkg-config file finds the prefix from its own place.
get_property(KT_PKGCONFIG_REQUIRES GLOBAL PROPERTY KT_PKGCONFIG_REQUIRES)
list(JOIN KT_PKGCONFIG_REQUIRES " " KT_PKGCONFIG_REQUIRES)
file(RELATIVE_PATH KT_PC_PREFIX_FROM_PCDIR /prefix/${KT_PKGCONFIG_DIR} /prefix)
string(REGEX REPLACE "/$" "" KT_PC_PREFIX_FROM_PCDIR "${KT_PC_PREFIX_FROM_PCDIR}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/ktlookup.pc.in ${PROJECT_BINARY_DIR}/ktlookup.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/ktlookup.pc DESTINATION ${KT_PKGCONFIG_DIR})
