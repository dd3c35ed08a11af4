#include "storage/db/postgres_database.h"

#include "core/program_module.h"
#include "storage/db/postgres_module.h"

namespace tidemark {

Result<std::unique_ptr<Database>> OpenPostgres(const ConnectionTarget& target) {
    // Loaded once, by whichever thread connects first.
    static const ModuleFunction<OpenPostgresFunction> open = LoadModuleFunction<OpenPostgresFunction>(
        TIDEMARK_MODULE_LOCATION(TIDEMARK_POSTGRES), kOpenPostgresSymbol, "The PostgreSQL module");
    if (!open) return Fault{open.error()};
    return (*open)(target);
}

}  // namespace tidemark
