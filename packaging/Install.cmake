# Installation into a prefix (`cmake --install build --prefix P`) and the
# Debian package (`cpack -G DEB` in the build folder).

include(GNUInstallDirs)

set(VITRODIAL_APPSTREAM_ID example.tessaline.Vitrodial)
set(_vitrodial_pkg ${CMAKE_CURRENT_LIST_DIR})
set(_vitrodial_res ${CMAKE_CURRENT_LIST_DIR}/../res)
set(_vitrodial_gz ${CMAKE_BINARY_DIR}/packaging)

# Folders made by the install get 0755 whatever the umask of whoever builds,
# so the package's permissions do not depend on the machine.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE
    WORLD_READ WORLD_EXECUTE)

# The programs are installed once every folder has been read, so that the
# rules find them wherever their targets are defined. They link their own
# code statically and Qt from the system, so the installed files carry no
# library search path (Debian forbids one pointing at the package's folders).
function(vitrodial_install_programs)
  foreach(program vitrodial vitrodial-render)
    if(TARGET ${program})
      set_target_properties(${program} PROPERTIES INSTALL_RPATH "")
      install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    else()
      message(WARNING "No target ${program}: it is left out of the installation")
    endif()
  endforeach()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL vitrodial_install_programs)

# Manual pages and the changelog ship compressed with gzip -9n: no file name
# and no time stamp inside, so two builds give the same package.
find_program(VITRODIAL_GZIP gzip REQUIRED)
set(_vitrodial_gz_files)
foreach(doc vitrodial.1 vitrodial-render.1 changelog)
  add_custom_command(
    OUTPUT ${_vitrodial_gz}/${doc}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${_vitrodial_pkg}/${doc} ${_vitrodial_gz}/${doc}
    COMMAND ${VITRODIAL_GZIP} -9nf ${_vitrodial_gz}/${doc}
    DEPENDS ${_vitrodial_pkg}/${doc}
    COMMENT "Compressing ${doc}"
    VERBATIM)
  list(APPEND _vitrodial_gz_files ${_vitrodial_gz}/${doc}.gz)
endforeach()
add_custom_target(vitrodial-docs ALL DEPENDS ${_vitrodial_gz_files})

install(FILES ${_vitrodial_pkg}/vitrodial.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_vitrodial_pkg}/${VITRODIAL_APPSTREAM_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_vitrodial_gz}/vitrodial.1.gz ${_vitrodial_gz}/vitrodial-render.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${_vitrodial_pkg}/copyright ${_vitrodial_gz}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The program's icon, drawn in res/. The packaging test fails when it is
# missing, so a missing icon never goes unnoticed.
foreach(icon vitrodial.png vitrodial.svg)
  if(NOT EXISTS ${_vitrodial_res}/${icon})
    message(WARNING "res/${icon} is missing: the installation has no ${icon}")
  endif()
endforeach()
install(FILES ${_vitrodial_res}/vitrodial.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps OPTIONAL)
install(FILES ${_vitrodial_res}/vitrodial.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps OPTIONAL)

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vitrodial)
set(CPACK_PACKAGE_VENDOR Tessaline)
set(CPACK_PACKAGE_CONTACT "Tessaline <vitrodial@tessaline.example>")
set(CPACK_PACKAGE_HOMEPAGE_URL https://tessaline.example/vitrodial/)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "analog clock floating over the desktop")
# Lines of at most 80 characters, as Debian's tools show them.
set(CPACK_PACKAGE_DESCRIPTION [[
Vitrodial shows an analog clock over the X11 desktop: a borderless circle
that mouse clicks pass through, with one colour fully transparent and the
rest blended with the desktop at a chosen opacity. Colours, outlines, the
date line, size, position and opacity are set in a configuration dialog
reached from the tray icon.

The package also holds vitrodial-render, which draws the clock face into a
PNG file without a display.]])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tessaline <vitrodial@tessaline.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# A source package holds the sources only.
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/" "/out/")
include(CPack)
