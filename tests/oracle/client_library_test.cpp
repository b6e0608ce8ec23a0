// Finding the client library: the places tried, and refusing a missing or incomplete one.
#include "oracle/client_library.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "../support/temp_folder.h"
#include "toolkit/exception.h"
#include "toolkit/log.h"

namespace {

// The user's message for a missing client: the classic first sentence, then every place
// searched, so a user can see where to put the library.
void expect_missing_client_text(const std::string& message) {
    EXPECT_EQ(message.rfind("The Oracle client and networking components were not found.\n", 0), 0u) << message;
#ifdef _WIN32
    for (const char* place : {"oci.dll", "program's folder", "System32", "Windows folder", "PATH",
                              "%ORACLE_HOME%\\bin", "Instant Client"})
#else
    for (const char* place : {"LD_LIBRARY_PATH", "ldconfig", "$ORACLE_HOME/lib", "libclntsh.so.23.1", ".21.1", ".19.1",
                              ".18.1", ".12.1", ".11.1", "Instant Client"})
#endif
        EXPECT_NE(message.find(place), std::string::npos) << place << " not named in: " << message;
}

// Runs body with the trace log on, into a file of its own, and returns what was logged.
template <class Body>
std::string logged_while(Body body) {
    temp_folder folder;
    const std::string path = folder.file("trace.log");
    tk_log& log = tk_log::instance();
    log.set_file_name(path);
    log.set_minimum_level(1);
    log.reset_truncation();
    log.enable(true);
    body();
    log.enable(false);
    log.set_file_name("");
    return read_file(path);
}

class oracle_home_guard {
public:
    explicit oracle_home_guard(const char* value) {
        if (const char* old = std::getenv("ORACLE_HOME")) old_ = old, had_ = true;
        if (value) setenv("ORACLE_HOME", value, 1);
        else unsetenv("ORACLE_HOME");
    }
    ~oracle_home_guard() {
        if (had_) setenv("ORACLE_HOME", old_.c_str(), 1);
        else unsetenv("ORACLE_HOME");
    }

private:
    std::string old_;
    bool had_ = false;
};

}  // namespace

TEST(client_library_places, plain_name_then_oracle_home_then_versioned_names) {
#ifdef _WIN32
    // the home's library by its full path, so the DLLs beside it are found
    oracle_home_guard home("C:\\oracle\\product\\19c");
    EXPECT_EQ(oci_client_library::default_candidates(),
              (std::vector<std::string>{"oci.dll", "C:\\oracle\\product\\19c\\bin\\oci.dll"}));
#else
    oracle_home_guard home("/opt/oracle/product/19c");
    const std::vector<std::string> expected{
        "libclntsh.so",      "/opt/oracle/product/19c/lib/libclntsh.so",
        "libclntsh.so.23.1", "libclntsh.so.21.1", "libclntsh.so.19.1",
        "libclntsh.so.18.1", "libclntsh.so.12.1", "libclntsh.so.11.1"};
    EXPECT_EQ(oci_client_library::default_candidates(), expected);
#endif
}

// Each refused place is logged with its reason (a missing file, or the functions a library
// lacks), and the search goes on after a refusal.
TEST(client_library_refusal, missing_and_incomplete_libraries_give_the_documented_text_and_log_every_place) {
    std::string message;
    const std::string log = logged_while([&] {
        try {
            oci_client_library library({PARTIAL_CLIENT_PATH, "/nonexistent/second/libclntsh.so.19.1"});
            FAIL() << "no usable library was accepted";
        } catch (const tk_exception& error) {
            message = error.message();
            EXPECT_EQ(error.level(), tk_level_serious);
        }
    });
    expect_missing_client_text(message);
    EXPECT_NE(log.find("function(s) missing: OCIHandleFree, OCIDescriptorAlloc"), std::string::npos) << log;
    EXPECT_NE(log.find("OCIDateTimeGetTime"), std::string::npos) << log;
    EXPECT_EQ(log.find("OCIEnvNlsCreate,"), std::string::npos) << "a present function named missing: " << log;
    EXPECT_NE(log.find("/nonexistent/second/libclntsh.so.19.1"), std::string::npos) << log;
#ifdef _WIN32
    EXPECT_NE(log.find("oci.dll not found; 2 places tried"), std::string::npos) << log;
#else
    EXPECT_NE(log.find("libclntsh.so not found; 2 places tried"), std::string::npos) << log;
#endif
}
