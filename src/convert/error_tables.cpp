// The tables of friendly error texts.
#include "convert/error_tables.h"

namespace {

constexpr tk_error_entry dao_table[] = {
    {68585, "Cannot recognize MS Access database format. See 'Troubleshooting'\n"
            "article of the product documentation for solution."},
    {68591, "Not a valid MS Access database name. Use the following characters\n"
            "to compose new database name: alphanumerics (A-Z, a-z, 0-9),\n"
            "underscore characters (_) and spaces."},
    {68558, "Duplicate field values being used for an unique index were found.\n"
            "See 'Troubleshooting' article of the product documentation\nfor solution."},
    {68565, "Not a valid account name or password has been specified\n"
            "in MS Access user-level security settings"},
    {68648, "Cannot extract relationships information. See 'Troubleshooting'\n"
            "article of the product documentation for solution."},
    {68709, "Invalid workgroup information file. Return to the previous\n"
            "wizard page and verify the correct path was given."},
    {68894, "Invalid workgroup information file. Return to the previous\n"
            "wizard page and verify the correct path was given."},
    {68957, "Data type conversion error. Please contact support@sprandel.invalid\nfor the solution."},
    {68879, "Cannot recognize MS Access database format. See 'Troubleshooting'\n"
            "article of the product documentation for solution."},
};

constexpr std::int32_t ora(std::int32_t number) { return 0x100000 + number; }

constexpr tk_error_entry oracle_table[] = {
    {ora(1), "Duplicate field values being used for an unique index were found.\n"
             "See 'Troubleshooting' article of the product documentation\nfor solution."},
    {ora(1017), "Invalid user name or password."},
    {ora(1658), "Not enough free contiguous space in the tablespace to create the object.\n"
                "Use ALTER TABLESPACE ADD DATAFILE to add additional space to the tablespace."},
    {ora(1950), "User does not have the necessary privileges to create tables."},
    {ora(2298), "There are orphaned records that prevent from creating foreign key. For more\n"
                "information see Troubleshooting article of the product documentation."},
    {ora(12154), "Oracle data source does not exist. Check to verify the correct name was given."},
    {ora(12500), "ORA-12500: the listener could not start a server process. For more information\n"
                 "see Troubleshooting article of the product documentation."},
    {ora(12505), "ORA-12505: the program could not resolve service name. For more information\n"
                 "see Troubleshooting article of the product documentation."},
    {ora(12514), "Cannot resolve Oracle service name. Check to verify the correct name was given.\n"},
    {ora(12541), "ORA-12541: no listener. For more information see Troubleshooting\n"
                 "article of the product documentation."},
    {ora(12545), "ORA-12545: connect failed because target host or object does not exist.\n"
                 "For more information see Troubleshooting article of the product documentation."},
    {ora(28000), "Wrong password was entered the maximum number of times or\n"
                 "the DBA has locked the account."},
};

constexpr tk_error_entry date_range_table[] = {
    {68885, "Date fields of the source database do not fall in the\n"
            "range accepted by MS Excel. Restart the program with\n"
            "\"Convert dates into strings\" checkbox selected.\n"},
};

}  // namespace

const std::span<const tk_error_entry> dao_error_texts{dao_table};
const std::span<const tk_error_entry> oracle_error_texts{oracle_table};
const std::span<const tk_error_entry> date_range_error_texts{date_range_table};

std::unique_ptr<error_handler> create_error_handler() {
    auto handler = std::make_unique<error_handler>(dao_error_texts.size(), dao_error_texts.data());
    handler->load_err_map(oracle_error_texts.size(), oracle_error_texts.data());
    handler->load_err_map(date_range_error_texts.size(), date_range_error_texts.data());
    return handler;
}
