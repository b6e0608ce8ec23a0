// The connection page: the five fields, the empty-name check and the connect job that runs
// under the animation.
#pragma once

#include <string>

class error_handler;
class job_session;
class user_interface;

inline constexpr const char* connection_intro_text =
    "If the program has been installed on Oracle server machine, you can leave\n'Server' editbox empty. It is "
    "necessary to specify the port only if it differs\nfrom default value 1521.";
inline constexpr const char* connecting_text = "Connecting to Oracle data source.\nPlease wait...";
inline constexpr const char* no_database_name_text = "You should enter Oracle database name";
inline constexpr int connection_field_limit = 259;  // characters each edit box takes

struct connection_fields {
    std::string host;
    std::string database;  // the Oracle service name
    std::string port;
    std::string user;
    std::string password;
};

// What the connect job ended with. help_topic is non-zero when the error box should be
// followed by the help page on listener and host errors; fatal means the error was not one
// of ours and the program ends after its box.
struct connect_outcome {
    bool connected = false;
    int help_topic = 0;
    bool fatal = false;
};

class connection_model {
public:
    explicit connection_model(job_session& session) : session_(session) {}

    connection_fields page_init() const;
    // Writes the typed values to the job; Back and Next both do it.
    void store_settings(const connection_fields& fields);
    // Next before connecting: false, after telling the user, when no database name is given.
    bool may_connect(user_interface& face) const;
    // The worker's job: connects with the stored settings. Errors are shown through face
    // here (Oracle's friendly text, or the error handler for our own).
    connect_outcome connect(user_interface& face, error_handler& handler);

private:
    job_session& session_;
};

// The friendly text of an Oracle error code, or empty.
std::string oracle_error_text(int code);
