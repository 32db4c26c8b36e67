# A Debian package of the installed tree: cpack -G DEB in the build folder
# (scripts/check-package.sh builds it and runs lintian on it).
set(CPACK_PACKAGE_NAME mirel)
set(CPACK_PACKAGE_VENDOR "the mirel developers")
# Whoever publishes the package names themselves here; .invalid never delivers mail.
set(MIREL_PACKAGE_CONTACT "mirel maintainers <maintainers@mirel.invalid>"
    CACHE STRING "Maintainer of the Debian package, as NAME <ADDRESS>")
set(CPACK_PACKAGE_CONTACT "${MIREL_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "IP-core plug-in for the MIREL PLL, with a host program")
set(CPACK_PACKAGE_DESCRIPTION
    "The MIREL IP core configures a PLL with a built-in voltage regulator\n"
    "and generates a Verilog or VHDL module, constraints and a self-checking\n"
    "testbench for it. mirel-host loads the plug-in as a design environment\n"
    "does; mirel-calc finds the dividers for wanted frequencies. Includes\n"
    "simulation models, a black box and a timing cell of the primitive.")
list(JOIN CPACK_PACKAGE_DESCRIPTION "" CPACK_PACKAGE_DESCRIPTION)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The host libraries are private (lib/mirel), found through the programs' run paths.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/lib)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# What every Debian package carries in its documentation folder.
set(mirel_doc ${CMAKE_BINARY_DIR}/package-doc)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${mirel_doc}/changelog @ONLY)
execute_process(COMMAND gzip -9nf ${mirel_doc}/changelog)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${mirel_doc}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME mirel)
include(CPack)
