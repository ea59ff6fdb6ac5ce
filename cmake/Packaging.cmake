# The Windows release: `cmake --build --preset win64 --target package` makes
# Verbarium-<version>-win64.zip and Verbarium-<version>-win64-setup.exe, each
# holding the programs, the edition folders and temp (empty), and the user
# guides. Verbarium writes beside itself (settings, edition folders, temp), so
# the installer installs per user, where the user can write.

# Folders the program works in, shipped empty.
set(VERBARIUM_WORK_FOLDERS "Shadow Wars" "Dragon Storm" "Faith in Destiny" temp)

install(TARGETS Verbarium cratework verbarium-cli RUNTIME DESTINATION .)
foreach(folder IN LISTS VERBARIUM_WORK_FOLDERS)
  install(DIRECTORY DESTINATION "${folder}")
endforeach()

# Every guide there is (a translation joins by being there), with the
# screenshots when a guide shows them.
file(GLOB VERBARIUM_GUIDES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/user-guide*.md)
install(FILES ${VERBARIUM_GUIDES} DESTINATION docs)
foreach(guide IN LISTS VERBARIUM_GUIDES)
  file(READ ${guide} text)
  if(text MATCHES "screenshots/")
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/screenshots DESTINATION docs)
    break()
  endif()
endforeach()

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME Verbarium)
set(CPACK_PACKAGE_VENDOR Verbarium)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME "Verbarium-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Verbarium)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Verbarium)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Translates the text tables of a PC game")
# The installer's own name ends in -setup; the zip keeps the plain name.
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/packaging/per-generator.cmake)
# Our installer script: per user, Unicode, and an uninstaller that leaves the
# translator's files alone.
set(CPACK_MODULE_PATH ${PROJECT_SOURCE_DIR}/cmake/packaging)
set(CPACK_NSIS_PACKAGE_NAME Verbarium)
set(CPACK_NSIS_DISPLAY_NAME Verbarium)
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/src/windows/resources/verbarium.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/src/windows/resources/verbarium.ico)
set(patch ${PROJECT_VERSION_PATCH})
if(patch STREQUAL "")
  set(patch 0)
endif()
set(CPACK_VERBARIUM_FILE_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${patch}.0")
include(CPack)
