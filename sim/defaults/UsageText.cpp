#include "sim/defaults/UsageText.h"

namespace kavro::defaults {

const char* UsageText::usage() {
  return "usage: kavro-defaults [--device DIR] COMMAND\n"
         "  read DOMAIN [KEY]              print a domain, or one value, in the platform's text form\n"
         "  read-type DOMAIN KEY           print the type of one value (\"Type is integer\")\n"
         "  write DOMAIN KEY VALUE         store VALUE: a property list in text or XML form, else\n"
         "                                 the string it is\n"
         "  write DOMAIN KEY -TYPE VALUE   store one value of a type:\n"
         "                                   -string TEXT, -data HEX, -int[eger] N, -float X,\n"
         "                                   -bool[ean] yes|no|true|false|1|0, -date DATE\n"
         "                                   (DATE: 2024-05-01 12:30:00 +0000, 2024-05-01T12:30:00Z,\n"
         "                                   2024-05-01 12:30:00 or 2024-05-01; no zone is UTC)\n"
         "  write DOMAIN KEY -array [VALUE...]\n"
         "                                 store an array; each VALUE untyped or after a -TYPE\n"
         "  write DOMAIN KEY -array-add [VALUE...]\n"
         "                                 append to an array, creating it if missing\n"
         "  write DOMAIN KEY -dict [KEY VALUE...]\n"
         "                                 store a dictionary; each VALUE untyped or after a -TYPE\n"
         "  write DOMAIN KEY -dict-add [KEY VALUE...]\n"
         "                                 add or replace keys of a dictionary, creating it if missing\n"
         "  write DOMAIN PLIST             replace the whole domain with a dictionary given as a\n"
         "                                 property list in text or XML form\n"
         "  rename DOMAIN OLD NEW          give the value of key OLD the key NEW\n"
         "  delete DOMAIN [KEY]            remove one key, or the whole domain\n"
         "  import DOMAIN PATH|-           replace the domain with the dictionary in a property-list\n"
         "                                 file (binary, XML or text), or on standard input\n"
         "  export DOMAIN PATH|-           write the domain as an XML property list to a file, or\n"
         "                                 to standard output\n"
         "  domains                        list the domains that have a file, comma separated\n"
         "  find WORD                      print the keys of every domain whose name, key or value\n"
         "                                 contains WORD, letter case aside\n"
         "  help                           print this\n"
         "The device folder is DIR, else $KAVRO_DEVICE, else $XDG_DATA_HOME/kavroprefs/device\n"
         "(an absolute XDG_DATA_HOME, else $HOME/.local/share). Domains are files under\n"
         "DEVICE/var/jb/var/mobile/Library/Preferences. docs/kavro-defaults.md is the manual.\n"
         "Exit status: 0 success, 1 a missing domain, key or file or a failure, 2 bad arguments.\n";
}

const char* UsageText::shortUsage() {
  return "usage: kavro-defaults [--device DIR] COMMAND [ARGUMENTS...]; kavro-defaults help lists every "
         "command and value type\n";
}

}  // namespace kavro::defaults
