# Turns a file into a C++ source that holds its bytes as `const std::string_view <SYMBOL>` in
# namespace lumaru::demo, declared in <HEADER>.
#   cmake -DINPUT=... -DOUTPUT=... -DSYMBOL=... -DHEADER=... -P embed_file.cmake
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
string(REGEX REPLACE "(([^,]*,){16})" "\\1\n    " bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT}; edit that file instead.
#include \"${HEADER}\"

namespace lumaru::demo {
namespace {
constexpr char kBytes[] = {
    ${bytes}'\\0'};
}  // namespace

const std::string_view ${SYMBOL}(kBytes, sizeof kBytes - 1);

}  // namespace lumaru::demo
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
