// The friendly texts of Oracle's errors.
#include "convert/error_tables.h"

namespace {

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

}  // namespace

const std::span<const tk_error_entry> oracle_error_texts{oracle_table};

std::unique_ptr<error_handler> create_error_handler(user_interface* face) {
    return std::make_unique<error_handler>(face, oracle_error_texts);
}
