# SPDX-License-Identifier: GPL-3.0-or-later
# Turns a binary file into a C++ source that compiles it into the program, in
# any build (the host's, the Windows and the browser cross builds):
#
#   cmake -DINPUT=FILE -DOUTPUT=FILE.cpp -DHEADER=dir/header.h
#         -DFUNCTION=ns::name -P EmbedAsset.cmake
#
# FUNCTION, declared in HEADER, returns the bytes as std::span<const std::uint8_t>.
foreach(var INPUT OUTPUT HEADER FUNCTION)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "EmbedAsset.cmake: ${var} is not set")
  endif()
endforeach()
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
if(digits EQUAL 0)
  message(FATAL_ERROR "EmbedAsset.cmake: ${INPUT} is empty")
endif()
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){20})" "\\1\n" bytes "${bytes}")
get_filename_component(name "${INPUT}" NAME)
file(WRITE "${OUTPUT}.part"
  "// Made from ${name} by cmake/EmbedAsset.cmake at build time.\n"
  "#include \"${HEADER}\"\n\n"
  "namespace {\n"
  "constexpr std::uint8_t kBytes[] = {\n${bytes}\n};\n"
  "} // namespace\n\n"
  "std::span<const std::uint8_t> ${FUNCTION}() {\n"
  "    return {kBytes, sizeof kBytes};\n"
  "}\n")
file(RENAME "${OUTPUT}.part" "${OUTPUT}")
