# Installing and packing the two programs, stripped. On Linux they go where Debian keeps games
# (games/), with their manual pages (section 6, compressed) and the copyright and changelog
# files, and CPack makes a Debian package; on Windows they go to the top of a zip beside a
# README.txt. The project's version is the packages' version. `make package` runs CPack.
#
# Each version has a fixed release date: the changelog's and the AppStream metadata's date, and
# the time stamp of every file in the packages (SOURCE_DATE_EPOCH, unless the caller sets it),
# so that two builds of one commit make the same bytes, whenever and wherever they run.
include(GNUInstallDirs)
install(CODE "set(CMAKE_INSTALL_DO_STRIP TRUE)")
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
  GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_PACKAGE_NAME zorvy-plemo)
set(RELEASE_VERSION 1.0.0)
set(RELEASE_DATE 2026-12-08)
if(NOT PROJECT_VERSION VERSION_EQUAL RELEASE_VERSION)
  message(FATAL_ERROR "cmake/packaging.cmake dates version ${RELEASE_VERSION}, not ${PROJECT_VERSION}: "
    "set RELEASE_VERSION and RELEASE_DATE to the new version and its day")
endif()
# release_date(VARIABLE FORMAT): the release date in the date command's FORMAT, at 00:00 UTC.
function(release_date variable format)
  execute_process(COMMAND date -u -d ${RELEASE_DATE} ${format} OUTPUT_VARIABLE date
    OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  set(${variable} ${date} PARENT_SCOPE)
endfunction()
release_date(RELEASE_EPOCH +%s)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/cpack_release_date.cmake)
file(CONFIGURE OUTPUT ${CPACK_PROJECT_CONFIG_FILE} CONTENT [[
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  set(ENV{SOURCE_DATE_EPOCH} @RELEASE_EPOCH@)
endif()
]] @ONLY)
# The project has no site of its own yet: its addresses are under a reserved .example domain,
# plainly a placeholder, named here alone (the package's maintainer, the copyright file's contact,
# the AppStream metadata's homepage, screenshot and identifiers).
set(PROJECT_DOMAIN c-seed-f65ab413.example)
set(PROJECT_SITE https://${PROJECT_DOMAIN})
set(PACKAGE_CONTACT_ADDRESS maintainers@users.noreply.${PROJECT_DOMAIN})
set(CPACK_PACKAGE_CONTACT "zorvy and plemo maintainers <${PACKAGE_CONTACT_ADDRESS}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "search for primes of the forms n! - 1 and n! + 1")
set(CPACK_PACKAGE_DESCRIPTION "\
zorvy lists the primes of the form n! - 1, plemo those of the form n! + 1.
Each asks, in Czech, for a bound, tests the candidates for n = 2, 3, ... by
trial division until one lies above the bound, lists the primes found and
reports the number of trial divisions and the highest n; a key then ends it.

With an X display the dialogue runs in a 320 x 200 window of 40 x 25 text
cells, which Alt+Enter switches to full screen; without one it runs on the
terminal. Through a pipe the bound is read from standard input and the
output is a plain byte stream.")

if(WIN32)
  install(TARGETS zorvy plemo RUNTIME DESTINATION .)
  configure_file(docs/windows-readme.txt.in ${CMAKE_BINARY_DIR}/README.txt @ONLY NEWLINE_STYLE CRLF)
  configure_file(LICENSE ${CMAKE_BINARY_DIR}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_BINARY_DIR}/README.txt ${CMAKE_BINARY_DIR}/LICENSE.txt DESTINATION .)
  set(CPACK_GENERATOR ZIP)
else()
  # The Debian package's build compiles and links with Debian's build flags and every hardening
  # feature (fortified functions, stack protector, read-only relocations bound at start), and
  # maps the build folder out of the debug data, so that the package does not depend on where
  # it was built. The tests' builds keep the project's own flags.
  option(DEBIAN_BUILD_FLAGS "Build with dpkg-buildflags' flags, all hardening on" OFF)
  if(DEBIAN_BUILD_FLAGS)
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
      execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
        dpkg-buildflags --get ${kind} WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
        OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
      separate_arguments(${kind} UNIX_COMMAND "${flags}")
    endforeach()
    target_compile_options(project_options INTERFACE ${CPPFLAGS} ${CXXFLAGS} -ffile-prefix-map=${CMAKE_BINARY_DIR}=.)
    target_link_options(project_options INTERFACE ${LDFLAGS})
  endif()
  install(TARGETS zorvy plemo RUNTIME DESTINATION games)
  # The manual pages, compressed without a time stamp so that equal pages give equal bytes.
  # Each names its program's form and first primes; its example shows the report for the
  # bound 10: those primes, the number of trial divisions and the highest n, 4.
  foreach(program zorvy plemo)
    if(program STREQUAL "zorvy")
      set(PROGRAM_TITLE Zorvy)
      set(PROGRAM_FORM "n! \\- 1")
      set(PROGRAM_LIST "1, 5, 23")
      set(PROGRAM_TRIALS 15)
    else()
      set(PROGRAM_TITLE Plemo)
      set(PROGRAM_FORM "n! + 1")
      set(PROGRAM_LIST "3, 7")
      set(PROGRAM_TRIALS 9)
    endif()
    string(REPLACE ", " "\n " PROGRAM_PRIMES " ${PROGRAM_LIST}")
    set(PROGRAM ${program})
    configure_file(docs/program.6.in ${CMAKE_BINARY_DIR}/man/${program}.6 @ONLY)
    execute_process(COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/man/${program}.6 COMMAND_ERROR_IS_FATAL ANY)
    install(FILES ${CMAKE_BINARY_DIR}/man/${program}.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
  endforeach()
  set(PACKAGE_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_PACKAGE_NAME})
  release_date(CHANGELOG_DATE -R)
  configure_file(docs/changelog.in ${CMAKE_BINARY_DIR}/changelog @ONLY)
  execute_process(COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/changelog COMMAND_ERROR_IS_FATAL ANY)
  configure_file(docs/copyright.in ${CMAKE_BINARY_DIR}/copyright @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/copyright ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION ${PACKAGE_DOC_DIR})
  # On the desktop: each program's menu entry, its icon in the hicolor theme at every size, and
  # its AppStream component (the identifier the domain reversed, as AppStream names them).
  string(REPLACE "." ";" domain_parts ${PROJECT_DOMAIN})
  list(REVERSE domain_parts)
  list(JOIN domain_parts "." APPSTREAM_DEVELOPER)
  string(REPLACE "-" "_" APPSTREAM_DEVELOPER ${APPSTREAM_DEVELOPER})
  # The menu entries' keywords are the metadata's too, so that a software centre finds what
  # the menu finds.
  set(keywords prime factorial "number theory")
  list(JOIN keywords ";" DESKTOP_KEYWORDS)
  list(JOIN keywords "</keyword>\n    <keyword>" APPSTREAM_KEYWORDS)
  foreach(program zorvy plemo)
    string(SUBSTRING ${program} 0 1 initial)
    string(TOUPPER ${initial} initial)
    string(SUBSTRING ${program} 1 -1 rest)
    set(PROGRAM_TITLE ${initial}${rest})
    set(PROGRAM_FORM_TEXT "n! - 1")
    if(program STREQUAL "plemo")
      set(PROGRAM_FORM_TEXT "n! + 1")
    endif()
    set(PROGRAM ${program})
    set(APPSTREAM_ID ${APPSTREAM_DEVELOPER}.${program})
    configure_file(docs/program.desktop.in ${CMAKE_BINARY_DIR}/desktop/${program}.desktop @ONLY)
    configure_file(docs/program.metainfo.xml.in ${CMAKE_BINARY_DIR}/desktop/${APPSTREAM_ID}.metainfo.xml @ONLY)
    install(FILES ${CMAKE_BINARY_DIR}/desktop/${program}.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
    install(FILES ${CMAKE_BINARY_DIR}/desktop/${APPSTREAM_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
    foreach(size 16 24 32 48 64 128 256)
      install(FILES ${ICON_DIR}/${program}/icon-${size}.png RENAME ${program}.png
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
  endforeach()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The dependencies are those of the libraries the programs link, found by dpkg-shlibdeps,
  # and the plugin that draws the Wayland window's frame where the compositor draws none: the
  # frame library loads it at run time and only recommends it.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS libdecor-0-plugin-1-cairo)
endif()
include(CPack)
