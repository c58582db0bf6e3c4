# The packages of this build's bitness: a zip made by CPack and an installer made by NSIS
# (packaging/korvane.nsi), both named korvane-<version>-<win64|win32>, into
# KORVANE_PACKAGES_DIR. The target `packages` of the x64 build also makes the 32-bit
# build's (tools/package runs it).
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(KORVANE_ARCH win64)
else()
    set(KORVANE_ARCH win32)
endif()
set(KORVANE_PACKAGES_DIR ${CMAKE_BINARY_DIR}/packages CACHE PATH "Where the packages go")
set(KORVANE_PACKAGE_NAME korvane-${PROJECT_VERSION}-${KORVANE_ARCH})

# Installing (and so CPack) needs only the shipped targets, not every test program.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
configure_file(${CMAKE_CURRENT_LIST_DIR}/README.txt.in ${CMAKE_BINARY_DIR}/README.txt @ONLY)
install(FILES ${CMAKE_SOURCE_DIR}/skin/xplus.smf ${CMAKE_BINARY_DIR}/README.txt
    ${CMAKE_CURRENT_LIST_DIR}/LICENSE.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME korvane)
set(CPACK_PACKAGE_VENDOR Quillory)
set(CPACK_PACKAGE_FILE_NAME ${KORVANE_PACKAGE_NAME})
# CPack keeps its work files beside the package, so it works in a folder of its own.
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/cpack)
include(CPack)

find_program(KORVANE_MAKENSIS makensis REQUIRED)
set(stage ${CMAKE_BINARY_DIR}/package-stage)
set(KORVANE_INSTALLER ${KORVANE_PACKAGES_DIR}/${KORVANE_PACKAGE_NAME}.exe)
# The installer is part of every build, so that its test finds it; it is remade only when
# something it holds has changed.
add_custom_command(OUTPUT ${KORVANE_INSTALLER}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${KORVANE_PACKAGES_DIR}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
    COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --prefix ${stage}
    COMMAND ${KORVANE_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DARCH=${KORVANE_ARCH}
        -DSTAGE=${stage} -DOUTFILE=${KORVANE_INSTALLER} ${CMAKE_CURRENT_LIST_DIR}/korvane.nsi
    DEPENDS korvane reelpane hook hookkey SkinMagic kvmsvc kvzmbv ${CMAKE_CURRENT_LIST_DIR}/korvane.nsi
        ${CMAKE_BINARY_DIR}/README.txt ${CMAKE_CURRENT_LIST_DIR}/LICENSE.txt
        ${CMAKE_SOURCE_DIR}/skin/xplus.smf
    COMMENT "Installer ${KORVANE_PACKAGE_NAME}.exe"
    VERBATIM)
add_custom_target(installer ALL DEPENDS ${KORVANE_INSTALLER})

add_custom_target(packages
    COMMAND ${CMAKE_CPACK_COMMAND} -G ZIP --config ${CMAKE_BINARY_DIR}/CPackConfig.cmake
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/cpack/${KORVANE_PACKAGE_NAME}.zip
        ${KORVANE_PACKAGES_DIR}/
    DEPENDS installer
    COMMENT "Zip ${KORVANE_PACKAGE_NAME}.zip"
    VERBATIM)
