#pragma once
// PostgreSQL sessions are opened in the module tidemark_postgres, which brings libpq and
// the TLS, Kerberos and LDAP libraries it is built with: loaded by the first connection
// to a server, they cost a start on any other database nothing (core/program_module.h).
#include <memory>

#include "core/result.h"
#include "storage/db/connection_string.h"
#include "storage/db/database.h"

namespace tidemark {

// What the module exports: OpenPostgres as postgres_database.h describes it.
using OpenPostgresFunction = Result<std::unique_ptr<Database>> (*)(const ConnectionTarget&);
inline constexpr const char* kOpenPostgresSymbol = "tidemark_open_postgres";

}  // namespace tidemark
