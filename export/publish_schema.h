#pragma once

#include "export/sheet_publisher.h"

namespace digitrace {

class PublishConnection;

// The digitrace tables of the connection's current schema, inside a publish's transaction.

// Creates what is missing with its spatial indexes; "" or the server's reason.
QString ensureTables(PublishConnection &db, int srid);

// Tables made by someone else, by hand or by another program, would cut or turn what goes in:
// refused before anything is written, naming each column that is not as this program makes it.
// Feature tables made before a feature had a class gain its columns (kAddedColumns).
PublishResult checkTables(PublishConnection &db, int srid);

} // namespace digitrace
