// The messages a conversion and its commands show, as data; the texts are the program's own.
#pragma once

#include <string>

#include "convert/errors.h"
#include "convert/host.h"

namespace z2o {

// A failure that ends a run: the description and the file it concerns (`path`), about `about`.
Message failureMessage(const RunError& error, const std::string& about, const std::string& path);
// The first error of its kind among the single steps of `sourcePath`.
Message stepErrorMessage(const RunError& error, const std::string& sourcePath);
// A source that is not a whole number of records; OK or Cancel.
Message incompatibleMessage(const std::string& sourcePath);
// An album entry that is not there; OK or Cancel, titled with the error's description.
Message notFoundMessage(const RunError& error, const std::string& sourcePath);

}  // namespace z2o
