#pragma once
// A PostgreSQL server's database through libpq alone, in a module of its own
// (postgres_module.h). Every statement already ran on libpq (see
// storage/postgres/postgres_run.h); opening the connection there too spares a start the Qt
// driver's plugin and the round trips of its session set-up, which a load at start
// waits for before its first statement.
#include <memory>

#include "core/result.h"
#include "storage/db/connection_string.h"
#include "storage/db/database.h"

namespace tidemark {

// A read-only session on the target's server, its dates in ISO form and its text in
// UTF-8, as the statements here read them.
Result<std::unique_ptr<Database>> OpenPostgres(const ConnectionTarget& target);

}  // namespace tidemark
