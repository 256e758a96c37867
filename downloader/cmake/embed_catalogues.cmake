# cmake -DSRC_DIR=... -DOUT=... -P embed_catalogues.cmake
# Turns the three catalogue files into a C++ source that holds their bytes,
# so each program carries its catalogue built in.
set(body "// Generated from downloader/catalogues/*.txt; do not edit.\n#include <cstddef>\n\nnamespace downloader::detail {\n")
foreach(n 1 2 3)
  file(READ ${SRC_DIR}/Songhaul${n}.txt hex HEX)
  string(LENGTH "${hex}" hexlen)
  math(EXPR size "${hexlen} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
  string(REGEX REPLACE "(('\\\\x..',){24})" "\\1\n" bytes "${bytes}")
  string(APPEND body "extern const char kCatalogue${n}[] = {\n${bytes}\n'\\0'};\nextern const std::size_t kCatalogue${n}Size = ${size};\n")
endforeach()
string(APPEND body "}  // namespace downloader::detail\n")
file(WRITE ${OUT}.tmp "${body}")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.tmp)
