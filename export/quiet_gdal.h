#pragma once

#include <cpl_error.h>

namespace digitrace {

// GDAL reports errors through a handler that would print them; while one of these lives they go
// to the operator's message instead (read with CPLGetLastErrorMsg()).
class QuietGdal {
public:
    QuietGdal() {
        CPLPushErrorHandler(CPLQuietErrorHandler);
        CPLErrorReset();
    }
    ~QuietGdal() { CPLPopErrorHandler(); }
    QuietGdal(const QuietGdal &) = delete;
    QuietGdal &operator=(const QuietGdal &) = delete;
};

} // namespace digitrace
