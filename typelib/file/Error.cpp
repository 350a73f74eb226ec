#include "typelib/file/Error.h"

namespace vantrel {

OutOfLine<Error> holdError(Error error) { return OutOfLine<Error>(std::move(error)); }

}  // namespace vantrel
