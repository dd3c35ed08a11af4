// The backend cases on a private MariaDB server, read through the MariaDB ODBC driver
// with the connection string as users write it (ending in ";").
#include "backend_cases.h"
#include "support/maria_server.h"

namespace tidemark {
namespace {

// A read that writes: a function that inserts the rhour row of series 77. Only the
// session's own read-only setting stops it.
const char kWritingFunction[] =
    "DROP FUNCTION IF EXISTS write_row;\n"
    "DELIMITER //\n"
    "CREATE FUNCTION write_row() RETURNS INT MODIFIES SQL DATA\n"
    "BEGIN INSERT INTO rhour VALUES (77, '2020-03-01 00:00:00', 1); RETURN 1; END//\n"
    "DELIMITER ;\n";

class MariaBackend : public TestBackend {
public:
    MariaBackend() {
        server_ = testsupport::MariaServer::Shared(&error_);
        if (server_) {
            std::string clear;
            for (const char* table :
                 {"rsite", "runit", "rhour", "rday", "rdaymax", "rdaymin", "rupdate", "mrundsid", "mhour", "munit"})
                clear += std::string("TRUNCATE ") + table + ";\n";
            server_->Exec(clear + kWritingFunction, &error_);
        }
    }
    std::string SetUpError() const override { return server_ ? error_ : "MariaDB: " + error_; }
    std::string ConnectionString() const override { return server_->OdbcConnectionString(); }
    std::string ProgramFolder() const override { return "/nonexistent/"; }
    bool Fill(const std::string& sql, std::string* error) override { return server_->Exec(sql, error); }
    std::string EngineName() const override { return "ODBC (MariaDB)"; }
    std::string DisguisedWrite() const override { return "select write_row();"; }

private:
    testsupport::MariaServer* server_ = nullptr;
    std::string error_;
};

INSTANTIATE_TEST_SUITE_P(Engines, BackendTest,
                         ::testing::Values(BackendParam{"MariaDB",
                                                        [] { return std::unique_ptr<TestBackend>(new MariaBackend); }}),
                         BackendName);

class MariaOnly : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(backend_.SetUpError().empty()) << backend_.SetUpError(); }
    MariaBackend backend_;
};

// The driver refuses a string that ends in ";", with or without blanks after it ("Error
// while parsing DSN"); users end theirs in every way.
TEST_F(MariaOnly, ConnectionStringsOpenHoweverTheyEnd) {
    std::string given = backend_.ConnectionString();
    ASSERT_EQ(given.back(), ';');
    std::string bare = given.substr(0, given.size() - 1);
    for (const std::string& connection : {given, bare, bare + "; ", bare + ";;", bare + " ;\t"}) {
        Result<std::unique_ptr<Database>> db = OpenConnection(connection, "/");
        ASSERT_TRUE(db.ok()) << "[" << connection << "]: " << db.error();
        EXPECT_EQ(db.value()->EngineName(), "ODBC (MariaDB)");
        EXPECT_TRUE(db.value()->OpenRecordset("select 1;").ok()) << "[" << connection << "]";
    }
}

TEST_F(MariaOnly, WrongPasswordGivesTheServersMessageWithoutThePassword) {
    Result<std::unique_ptr<Database>> db =
        OpenConnection(ReplaceAll(backend_.ConnectionString(), "Pwd=", "Pwd=x"), "/");
    ASSERT_FALSE(db.ok());
    EXPECT_NE(db.error().find("Access denied"), std::string::npos) << db.error();
    EXPECT_EQ(db.error().find("tidemark-test-pw"), std::string::npos) << "the password must not be shown";
}

}  // namespace
}  // namespace tidemark
