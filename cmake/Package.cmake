# The Debian package (cpack -G DEB in the build folder, or `ninja package`):
#   /usr/lib/tobuclock/          the program folder, read-only and shared by every user; the
#                                file "installed-system-wide" in it sends each user's writable
#                                files to their own folder (see src/platform/program_folder.h)
#   /usr/bin/TobuClock, tobu     links into it
#   /usr/share/...               desktop entry, icons, AppStream metadata, manual pages
include(GNUInstallDirs)
set(TOBU_PKG_DIR lib/tobuclock)

install(TARGETS TobuClock PopupMsg tobu RUNTIME DESTINATION ${TOBU_PKG_DIR})
# The feed's HTTP client, loaded by the clock only while it fetches, and the weather page's
# browser engine, loaded when the weather window is first shown. They are the program's own
# modules, one folder down so that the package asks for no ldconfig run.
install(TARGETS TobuHttp TobuWeatherPage LIBRARY DESTINATION ${TOBU_PKG_DIR}/Modules)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${TOBU_PKG_DIR})
set(TOBU_PKG_GEN ${CMAKE_BINARY_DIR}/package)
file(MAKE_DIRECTORY ${TOBU_PKG_GEN}/bin)
file(WRITE ${TOBU_PKG_GEN}/installed-system-wide "")
install(FILES ${TOBU_PKG_GEN}/installed-system-wide DESTINATION ${TOBU_PKG_DIR})
foreach(program TobuClock tobu)
    file(CREATE_LINK ../${TOBU_PKG_DIR}/${program} ${TOBU_PKG_GEN}/bin/${program} SYMBOLIC)
endforeach()
install(DIRECTORY ${TOBU_PKG_GEN}/bin/ DESTINATION bin)

set(TOBU_APP_ID com.example.TobuClock)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/${TOBU_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/${TOBU_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/icons/tobuclock.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(n 16 22 24 32 48 64 128 256)
    install(FILES ${CMAKE_SOURCE_DIR}/packaging/icons/${n}x${n}/tobuclock.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${n}x${n}/apps)
endforeach()

# Manual pages from the programs' own --help texts (help2man), compressed as Debian wants.
find_program(HELP2MAN help2man)
find_program(GZIP gzip REQUIRED)
set(TOBU_MAN_PAGES "")
if(HELP2MAN)
    foreach(page "tobu|the TobuClock command-line tool" "TobuClock|desktop clock with the Chinese lunar calendar")
        string(REPLACE "|" ";" page "${page}")
        list(GET page 0 program)
        list(GET page 1 what)
        # tobu.1 also carries each subcommand's --help.
        set(include ${TOBU_PKG_GEN}/${program}.h2m)
        if(program STREQUAL "tobu")
            set(make_include sh ${CMAKE_SOURCE_DIR}/packaging/man-commands.sh
                             $<TARGET_FILE:tobu> ${include})
            set(include_option --include=${include})
        else()
            set(make_include ${CMAKE_COMMAND} -E true)
            set(include_option "")
        endif()
        add_custom_command(OUTPUT ${TOBU_PKG_GEN}/${program}.1.gz
            COMMAND ${make_include}
            COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C.UTF-8
                    ${HELP2MAN} -N --locale=C.UTF-8 --no-discard-stderr -n "${what}" --version-string=${PROJECT_VERSION}
                    ${include_option} -o ${TOBU_PKG_GEN}/${program}.1 $<TARGET_FILE:${program}>
            COMMAND ${GZIP} -9nf ${TOBU_PKG_GEN}/${program}.1
            DEPENDS ${program} ${CMAKE_SOURCE_DIR}/packaging/man-commands.sh
            COMMENT "Manual page ${program}.1")
        list(APPEND TOBU_MAN_PAGES ${TOBU_PKG_GEN}/${program}.1.gz)
    endforeach()
endif()
# A native package: its changelog is the Debian one.
add_custom_command(OUTPUT ${TOBU_PKG_GEN}/changelog.gz
    COMMAND ${GZIP} -9nc ${CMAKE_SOURCE_DIR}/packaging/changelog > ${TOBU_PKG_GEN}/changelog.gz
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/changelog)
add_custom_target(tobu_package_files ALL DEPENDS ${TOBU_MAN_PAGES} ${TOBU_PKG_GEN}/changelog.gz)
if(TOBU_MAN_PAGES)
    install(FILES ${TOBU_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${TOBU_PKG_GEN}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tobuclock)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tobuclock)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "TobuClock developers <tobuclock@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop clock with the Chinese lunar calendar")
set(CPACK_PACKAGE_DESCRIPTION
    "A small borderless bar shows the time on seven-segment digits with the date\n\
beside it; hovering the time shows the lunar date, the stem-branch names, the\n\
solar term and the festivals of the day. The clock chimes or speaks the time,\n\
shows an analog clock with interchangeable faces and changes its look with\n\
skins. The command-line tool tobu prints lunar calendars as text or JSON.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.example.com/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# SDL2_mixer is loaded by name when the first sound plays, and libsystemd when the clock is
# first set, so the library scan does not see them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-arphic-uming, fonts-arphic-ukai, fonts-liberation2, fonts-dejavu-core, libsdl2-mixer-2.0-0, libsystemd0")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
