// Storing the connection settings and connecting.
#include "wizard/connection_model.h"

#include "convert/error_handler.h"
#include "convert/error_tables.h"
#include "convert/job_session.h"
#include "convert/user_interface.h"
#include "oracle/oracle_session.h"
#include "oracle/ora_exception.h"
#include "toolkit/log.h"
#include "wizard/wizard_pages.h"

std::string oracle_error_text(int code) {
    for (const tk_error_entry& entry : oracle_error_texts)
        if (entry.code == code) return entry.text;
    return {};
}

connection_fields connection_model::page_init() const {
    const connection_settings& stored = session_.work().connection;
    return {stored.host, stored.service, stored.port, stored.user, stored.password};
}

void connection_model::store_settings(const connection_fields& fields) {
    TK_LOG(2, "%s", __func__);
    session_.work().connection = {fields.host, fields.port, fields.database, fields.user, fields.password};
}

bool connection_model::may_connect(user_interface& face) const {
    if (!session_.work().connection.service.empty()) return true;
    face.message(no_database_name_text);
    return false;
}

connect_outcome connection_model::connect(user_interface& face, error_handler& handler) {
    TK_LOG(2, "%s", __func__);
    connect_outcome outcome;
    try {
        session_.connect();
        outcome.connected = true;
        // an expiring password: the user hears of it and goes on
        if (!session_.oracle().logon_warning().empty())
            face.message(logon_warning_lead + session_.oracle().logon_warning());
        TK_LOG(3, "Connection has been established");
    } catch (const ora_exception& error) {
        const std::string friendly = oracle_error_text(error.code());
        face.error(friendly.empty() ? error.message() : friendly);
        switch (error.oracle_number()) {
            case 12500: case 12505: case 12541: case 12545:  // listener and host: the help explains them
                outcome.help_topic = help_topic_listener_errors;
                break;
            default: break;
        }
    } catch (const tk_exception& error) {
        handler.handle(error, true);
    } catch (const std::exception& error) {
        face.error(error.what());
        outcome.fatal = true;
    }
    if (!outcome.connected) TK_LOG(3, "Cannot connect to Oracle");
    return outcome;
}
