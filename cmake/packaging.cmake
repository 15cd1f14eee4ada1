# The Debian package: `cpack -G DEB` in the build folder (or
# `bash tools/dev.sh package`) writes glintag_<version>_<arch>.deb from the
# install rules.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME glintag)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Glintag developers")
# The maintainer is whoever the repository names as its first author; the
# project has no web site, so the package names no homepage.
set(CPACK_PACKAGE_CONTACT "${GLINTAG_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "program LED name badges over a serial line")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The build keeps debugging information; the package does not.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the program links (Qt, ICU, giflib for the animated preview)
# come into Depends from dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's Chinese, Japanese and Korean captions need an outline face
# for those scripts; either package covers all four, and apt installs the
# first: the 5 MB one rather than the 91 MB one.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-microhei | fonts-noto-cjk")
# The extended description; CPack puts the summary above it and indents it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Glintag programs battery-powered LED name badges whose display is 12 dots
high. Up to sixteen message slots each hold a line of text or a small
picture; per slot the badge scrolls, freezes, piles up or parts the message
like a curtain, at eight speeds, with flashing, a running border and
vertical writing.

Text is drawn with bundled 12-dot bitmap fonts for English, Chinese,
Japanese and Korean, and uploaded over a serial line (1200 baud 8N1). The
interface speaks Simplified Chinese, Traditional Chinese, Japanese, Korean
and English.")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)

include(CPack)
