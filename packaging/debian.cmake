# The Debian package, made by CPack from a tree that is already built (it only
# installs into its staging folder; nothing is compiled again):
#   cmake --build build -j2 && (cd build && cpack -G DEB)
# The dependencies on shared libraries come from dpkg-shlibdeps; what the program
# loads by name (Qt's plugins, fonts, translations) is named below.
set(CPACK_GENERATOR DEB)
# cpack, `make install` and `make package` install what is built; without this
# they would first build every target, the tests too.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_PACKAGE_NAME vornik)
set(CPACK_PACKAGE_VENDOR "The Vornik developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "connection meter for metered dial-up links")
set(CPACK_PACKAGE_DESCRIPTION
    "Vornik dials and hangs up PPPoE, mobile broadband and modem links, charges\n"
    "every call under the user's tariff (bundled hours, rates per hour or flat\n"
    "monthly fees, with discount windows and holidays), warns or hangs up before a\n"
    "limit on time or traffic is passed, reports or hangs up an idle link, and keeps\n"
    "an encrypted log of every call with its history and reports.\n"
    "Its windows are in Chinese. Without a desktop it runs on the terminal.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Vornik developers <${VORNIK_CONTACT_MAIL}>")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's platform plugin for Wayland sessions, Qt's own buttons in Chinese, and a
# font for the Chinese texts.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "qt6-wayland, qt6-translations-l10n, fonts-wqy-microhei | fonts-noto-cjk")
# The dial-up back-ends: NetworkManager's profile editor, and pppd.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "network-manager-gnome, ppp")
if(VORNIK_HOME_PAGE)
    set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VORNIK_HOME_PAGE}")
endif()
include(CPack)
