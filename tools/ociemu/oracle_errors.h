// The Oracle errors the emulator raises: numbers, message texts and the exception that carries them.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace ociemu {

// One diagnostic record as OCIErrorGet hands it out: the ORA number and the full first line.
class oracle_error : public std::runtime_error {
public:
    oracle_error(int code, std::string message) : std::runtime_error(message), code_(code) {}
    int code() const noexcept { return code_; }

private:
    int code_;
};

// "ORA-00942: table or view does not exist" for 942; `detail` fills the one %s a text may hold.
std::string oracle_message(int code, std::string_view detail = {});

// The error with its standard text, ready to throw.
oracle_error make_error(int code, std::string_view detail = {});

namespace ora {  // the numbers used by name in the emulator
inline constexpr int resource_busy = 54;
inline constexpr int internal_error = 600;
inline constexpr int invalid_sql_statement = 900;
inline constexpr int invalid_table_name = 903;
inline constexpr int invalid_identifier = 904;
inline constexpr int invalid_character = 911;
inline constexpr int missing_expression = 936;
inline constexpr int ambiguous_column = 918;
inline constexpr int from_keyword_not_found = 923;
inline constexpr int inconsistent_datatypes = 932;
inline constexpr int not_properly_ended = 933;
inline constexpr int table_does_not_exist = 942;
inline constexpr int fetch_out_of_sequence = 1002;
inline constexpr int variable_not_in_select_list = 1007;
inline constexpr int variables_not_bound = 1008;
inline constexpr int not_logged_on = 1012;
inline constexpr int user_requested_cancel = 1013;
inline constexpr int invalid_credentials = 1017;
inline constexpr int insufficient_privileges = 1031;
inline constexpr int no_data_found = 1403;
inline constexpr int null_fetched = 1405;
inline constexpr int value_truncated = 1406;
inline constexpr int integer_overflow = 1455;
inline constexpr int read_only_transaction = 1456;
inline constexpr int divisor_is_zero = 1476;
inline constexpr int snapshot_too_old = 1555;
inline constexpr int invalid_number = 1722;
inline constexpr int literal_does_not_match = 1861;
inline constexpr int end_of_file_on_channel = 3113;
inline constexpr int not_connected = 3114;
inline constexpr int call_timed_out = 3156;
inline constexpr int connect_timeout = 12170;
inline constexpr int invalid_lob_locator = 22275;
inline constexpr int character_buffer_too_small = 19011;
inline constexpr int illegal_lob_parameter = 24801;
inline constexpr int datetime_internal = 1891;
inline constexpr int bad_mode = 24300;
inline constexpr int illegal_attribute = 24315;
inline constexpr int illegal_handle_type = 24316;
inline constexpr int user_already_authenticated = 24313;
inline constexpr int service_handle_not_initialized = 24312;
inline constexpr int zero_iteration_count = 24333;
inline constexpr int no_descriptor_for_position = 24334;
inline constexpr int statement_not_prepared = 24337;
inline constexpr int statement_not_executed = 24338;
inline constexpr int truncation_or_null = 24345;
inline constexpr int invalid_fetch_operation = 24391;
inline constexpr int alias_not_resolved = 12154;
inline constexpr int net_service_name_incorrect = 12162;
inline constexpr int service_unknown = 12514;
inline constexpr int host_unknown = 12545;
inline constexpr int account_locked = 28000;
inline constexpr int password_expired = 28001;
inline constexpr int password_will_expire = 28002;

}  // namespace ora

// The codes by which a server or the network says the session is gone: the first call that meets
// the loss gets one of them, every later call on the line ORA-03114.
bool is_dead_session_code(int code);

}  // namespace ociemu
