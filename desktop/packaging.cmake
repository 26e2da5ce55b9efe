# The Debian package (scripts/package.sh): the installation above under
# /usr, with the libraries the program runs on found by dpkg-shlibdeps and
# what it loads at run time named here.
# scripts/package.sh builds before packaging; cpack (and `ninja install`)
# install what is built instead of building everything first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME terranox)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Tarnwick)
set(CPACK_PACKAGE_CONTACT "Tarnwick <terranox@tarnwick.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D globe viewer and screen saver")
set(CPACK_PACKAGE_DESCRIPTION
  "Terranox shows the Earth as a relief-shaded, textured globe lit by the Sun
from its true position, with the night side, an atmosphere, the stars and the
Moon. It is also a screen saver, by itself or inside xscreensaver.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so no library dependency names them: the OpenGL
# drivers (llvmpipe where there is no GPU), the texture font's face, and
# OpenSSL with the certificates for the online imagery's HTTPS.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1-mesa-dri, libglx-mesa0, fonts-liberation, libssl3, ca-certificates")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver")
include(CPack)
