// Where the help pages are and which page a help topic opens.
#pragma once

#include <QString>

// The help folder for a program in program_folder: share/sprandel/help when the program is
// installed in a bin/ folder, else the help folder beside the program (a build tree). When
// neither holds the index, the folder beside the program, so the caller reports it missing.
QString help_folder(const QString& program_folder);

// The page of a numbered topic is <topic>.html; 0 or less opens the whole help, index.html.
QString help_page_name(int topic);
