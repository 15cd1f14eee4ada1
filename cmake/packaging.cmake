# The Debian packages, split as Debian splits a program from its data:
#   glintag_<version>_<arch>.deb     the program, its menu entry, manual page
#                                    and completions (install component
#                                    "program", the default)
#   glintag-data_<version>_all.deb   the nine badge font files (component
#                                    "data"), the same on every architecture
# `bash tools/makedeb.sh BUILD OUT` (run by `bash tools/dev.sh package`)
# writes both from the install rules. The control files are made here from
# cmake/debian/*.control.in; makedeb.sh adds what only the installed tree
# tells: the libraries' Depends (dpkg-shlibdeps) and the Installed-Size.

set(GLINTAG_DEB_DIR ${PROJECT_BINARY_DIR}/debian)

# The window's Chinese, Japanese and Korean captions want an outline face
# for those scripts; either package covers all four, and apt takes the
# first: the 5 MB one rather than the 91 MB one. The window starts without
# either (the captions then fall back to whatever face the machine has), and
# the command line never draws a caption, so they are only recommended.
set(GLINTAG_DEB_RECOMMENDS "fonts-wqy-microhei | fonts-noto-cjk")

# The font files are generated from these Debian packages' fonts, whose
# licences (the GPL among them) ask for their source: Built-Using names the
# source packages and versions the files were made from, as Debian does.
set(GLINTAG_DEB_BUILT_USING "")
find_program(DPKG_QUERY dpkg-query)
if(DPKG_QUERY)
  set(sources)
  foreach(package IN ITEMS xfonts-base xfonts-wqy xfonts-mplus xfonts-baekmuk)
    execute_process(COMMAND ${DPKG_QUERY} -W "-f=\${source:Package} (= \${source:Version})" ${package}
      OUTPUT_VARIABLE source RESULT_VARIABLE failed ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT failed AND source)
      list(APPEND sources "${source}")
    endif()
  endforeach()
  list(SORT sources)
  list(REMOVE_DUPLICATES sources)
  list(JOIN sources ", " GLINTAG_DEB_BUILT_USING)
endif()

foreach(package glintag glintag-data)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/${package}.control.in ${GLINTAG_DEB_DIR}/${package}.control @ONLY)
endforeach()
