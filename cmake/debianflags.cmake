# The flags a Debian package is built with, all hardening included (bindnow
# too), as dpkg-buildflags gives them. Read once at configure time; the
# source folder is the working directory, so the file-prefix map it adds
# turns this checkout's path into "." and the binary does not depend on
# where the tree was built.
find_program(DPKG_BUILDFLAGS dpkg-buildflags REQUIRED)
function(glintag_debian_flag name out)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all ${DPKG_BUILDFLAGS} --get ${name}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_VARIABLE value OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  set(${out} "${value}" PARENT_SCOPE)
endfunction()
glintag_debian_flag(CPPFLAGS cppflags)
glintag_debian_flag(CXXFLAGS cxxflags)
glintag_debian_flag(LDFLAGS ldflags)
# The build folder's own paths (generated sources) are mapped as well.
string(APPEND CMAKE_CXX_FLAGS " ${cppflags} ${cxxflags} -ffile-prefix-map=${PROJECT_BINARY_DIR}=build")
string(APPEND CMAKE_EXE_LINKER_FLAGS " ${ldflags}")
# A Debian package's program finds its libraries where the system keeps
# them: no search path of its own ($ORIGIN and the like) is installed.
set(CMAKE_SKIP_INSTALL_RPATH ON)
