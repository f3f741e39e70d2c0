#include <REDudi/files.h>

namespace REDudi {

SimplePath::~SimplePath() {}

} // namespace REDudi
