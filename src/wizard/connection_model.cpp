// Storing the connection settings and connecting.
#include "wizard/connection_model.h"

#include "convert/error_handler.h"
#include "convert/error_tables.h"
#include "convert/sprandel_convertor.h"
#include "convert/user_interface.h"
#include "oracle/ora_exception.h"
#include "toolkit/log.h"
#include "wizard/wizard_pages.h"

std::string oracle_error_text(int code) {
    for (const tk_error_entry& entry : oracle_error_texts)
        if (entry.code == code) return entry.text;
    return {};
}

connection_fields connection_model::page_init() const {
    TK_LOG(2, "ora_settings_page2<t_converter>::page_init");
    return {converter_.host, converter_.src, converter_.port, converter_.user, converter_.password};
}

void connection_model::store_settings(const connection_fields& fields) {
    TK_LOG(2, "oracle_settings_page2<t_converter>::store_settings");
    converter_.store_oracle_settings(fields.host, fields.user, fields.password, fields.port);
    converter_.src = fields.database;
}

bool connection_model::may_connect(user_interface& face) const {
    TK_LOG(2, "oracle_settings_page::on_next");
    if (!converter_.src.empty()) return true;
    face.message(no_database_name_text);
    return false;
}

connect_outcome connection_model::connect(user_interface& face) {
    TK_LOG(2, "oracle_settings_page::animation::operator()");
    connect_outcome outcome;
    try {
        TK_LOG(1, "Just before calling 'connect_oracle_server', dest=%s", converter_.src.c_str());
        converter_.connect_oracle_server(converter_.src);
        outcome.connected = true;
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
        error_handler::instance().handle(error, true);
    } catch (const std::exception& error) {
        face.error(error.what());
        outcome.fatal = true;
    }
    if (!outcome.connected) TK_LOG(3, "Cannot connect to Oracle");
    return outcome;
}
