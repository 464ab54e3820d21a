// Czech and English texts of the program's additions, in number order.
#include "base/added_text_table.h"

namespace pelmo::texts {

const AddedText kAdded[] = {
    // Bus health.
    {1000, "Adresa", "Address"},
    {1001, "Výměny", "Exchanges"},
    {1002, "Opakování", "Repetitions"},
    {1003, "Bez odpovědi", "Time-outs"},
    {1004, "Chybný součet", "Checksum failures"},
    {1005, "Průměrná odezva [ms]", "Mean answer [ms]"},
    {1006, "Vynulovat tabulku", "Reset table"},
    // Backup before programming.
    {1010, "Zálohuji nastavení stanice...", "Backing up the station configuration..."},
    {1011, "Záloha uložena: ", "Backup saved: "},
    {1012, "Zálohu stanice se nepodařilo načíst. Programovat bez zálohy?",
     "The station backup could not be read. Program without a backup?"},
    {1013,
     "Programování selhalo po smazání stanice. Předchozí nastavení stanice je uloženo v "
     "souboru \"%1\". Naprogramovat je zpět do stanice na adrese %2?",
     "Programming failed after the station was erased. The station's previous configuration "
     "is saved in \"%1\". Program it back into the station at address %2?"},
    {1014, "Zálohu stanice se nepodařilo uložit do souboru %1.",
     "The station backup could not be saved to %1."},
    {1015, "Předchozí nastavení stanice je uloženo v souboru %1. Zpět je naprogramujete příkazem:",
     "The station's previous configuration is saved in %1. Program it back with:"},
    // Comparing a station with a file.
    {1020, "Porovnání stanice se souborem", "Station and file comparison"},
    {1021, "Porovnat stanici se souborem...", "Compare station with file..."},
    {1022, "Záznam", "Record"},
    {1023, "Položka", "Field"},
    {1024, "Stanice", "Station"},
    {1025, "Soubor", "File"},
    {1026, "Stanice a soubor se shodují.", "The station and the file are equal."},
    {1027, "Počet rozdílů: %1", "Differences: %1"},
    {1028, "Měřidlo", "Meter"},
    {1029, "Kanál %1", "Channel %1"},
    {1030, "Data", "Data"},
    {1031, "Měření", "Measurement"},
    {1032, "Počet bodů tabulky", "Table points"},
    {1033, "Kanál použit", "Channel in use"},
    {1034, "Tabulka", "Table"},
    {1035, "Bod tabulky %1", "Table point %1"},
    {1036, "Měřítko tabulky", "Table scale"},
    {1037, "Posun tabulky", "Table offset"},
    {1038, "Blok", "Block"},
    {1039, "Rozsah od", "Range from"},
    {1040, "Rozsah do", "Range to"},
    {1041, "Mód A", "Mode A"},
    {1042, "Mód B", "Mode B"},
    {1043, "Kopie módu", "Mode copy"},
    {1044, "Rezerva", "Reserved"},
    {1045, "Výstupy", "Outputs"},
    {1046, "Konstanta %1", "Constant %1"},
    {1047, "Načítám stanici...", "Reading the station..."},
    {1048, "Zavřít", "Close"},
    // Serial port access.
    {1050,
     "Nemáte oprávnění otevřít sériový port %1. Přidejte svůj účet do skupiny dialout "
     "(sudo usermod -aG dialout $USER), odhlaste se a znovu se přihlaste.",
     "You may not open the serial port %1. Add your account to the dialout group "
     "(sudo usermod -aG dialout $USER), then log out and in again."},
    {1051, "Sériový port %1 používá jiný program. Ukončete jej, nebo zvolte jiný port.",
     "The serial port %1 is held by another program. Close that program or choose another "
     "port."},
    // Command line.
    {1060, "Příkaz přerušen.", "Command interrupted."},
    {1061,
     "Programování nebylo dokončeno: stanice je smazaná nebo naprogramovaná jen zčásti a "
     "neměří.",
     "Programming did not finish: the station is erased or only partly programmed, and it is "
     "not measuring."},
    {1062,
     "Programování nezačalo, protože se nepodařilo zálohovat stanici (bez zálohy programuje "
     "--no-backup).",
     "Programming did not start because the station could not be backed up (--no-backup "
     "programs without a backup)."},
    {1063, "Složku %1 nelze vytvořit nebo do ní zapisovat: %2.",
     "The folder %1 cannot be created or written to: %2."},
    // File errors: the path and the system's reason.
    {1064, "Soubor %1 nelze načíst: %2.", "The file %1 cannot be read: %2."},
    {1065, "Soubor %1 nelze uložit: %2.", "The file %1 cannot be written: %2."},
    {1066, "přístup odepřen", "permission denied"},
    {1067, "na zařízení není volné místo", "no space left on device"},
    {1068, "soubor nebo složka neexistuje", "no such file or directory"},
    {1069, "systém souborů je jen pro čtení", "read-only file system"},
    {1070, "je to složka", "it is a folder"},
    {1071, "soubor je příliš velký", "file too large"},
    {1072, "neznámá chyba", "unknown error"},
    // Progress on the command line.
    {1073, "zkouším adresu %1/%2, nalezeno %3", "probing %1/%2, %3 found"},
    {1074, "stanice %1/%2 (adresa %3)", "station %1/%2 (address %3)"},
    {1075, "čtu záznam archivu %1/%2", "reading archive record %1/%2"},
    {1076, "přenáším vzorky, kanál %1, %2 %", "copying samples, channel %1, %2 %"},
    {1077, "programuji %1 %", "programming %1 %"},
    // A file that opens but does not load; a file where a folder should be.
    {1078, "Soubor %1 nelze načíst.", "The file %1 could not be loaded."},
    {1079, "v cestě je soubor místo složky", "a file stands where a folder should be"},
    // Live tracking.
    {1140, "Export do CSV...", "Export to CSV..."},
    // History of readings.
    {1200, "Čtení se nepodařilo uložit do historie: %1",
     "The reading could not be stored in the history: %1"},
    {1201, "Historie čtení", "Reading history"},
    {1202, "Historie čtení...", "Reading history..."},
    {1203, "Stanice", "Stations"},
    {1204, "Čtení", "Readings"},
    {1205, "Výrobní číslo", "Serial number"},
    {1206, "Název", "Name"},
    {1207, "Adresa", "Address"},
    {1208, "Počet čtení", "Readings"},
    {1209, "Naposledy", "Last read"},
    {1210, "Přečteno", "Read at"},
    {1211, "Druh", "Kind"},
    {1212, "Čas stanice", "Station time"},
    {1213, "Obsah", "Contents"},
    {1214, "Archiv", "Archive"},
    {1215, "Hlášení", "Messages"},
    {1216, "Monitoring", "Monitoring"},
    {1217, "Otevřít", "Open"},
    {1218, "Export výběru do CSV...", "Export selection to CSV..."},
    {1219, "Od data", "Since"},
    {1220, "Všechny druhy", "All kinds"},
    {1221, "Historie je prázdná.", "The history is empty."},
    {1222, "Historii nelze otevřít: %1", "The history cannot be opened: %1"},
    {1223, "Uloženo z historie", "Stored in the history"},
    {1224, "Exportováno čtení: %1", "Readings exported: %1"},
    {1225, "Přečteno", "Read"},
    {1226, "Selhalo", "Failed"},
    {1227, "nic (po opakování)", "none (after a retry)"},
    {1228, "Na sběrnici neodpověděla žádná stanice.", "No station answered on the bus."},
    {1229, "Počet hlášení: %1", "Messages: %1"},
    // Flow conversion and meter limits: what cannot be computed or stored.
    {1240, "nelze vypočítat", "cannot be computed"},
    {1241, "Hodnotu '%1' nelze z těchto podmínek vypočítat, do tabulky se nic nezapíše.",
     "The value '%1' cannot be computed from these conditions; nothing is written to the "
     "table."},
    {1242, "Pole '%1' musí obsahovat celé číslo od %2 do %3!",
     "The field '%1' must hold a whole number from %2 to %3!"},
    // Windows.
    {1300,
     "Adresa %1 je mimo rozsah 1-251. Do nastavení se uloží tak, jak je zapsaná, ale "
     "požadavky dál jdou na adresu %2 a při příštím spuštění program použije adresu 251.",
     "Address %1 is outside 1-251. It is saved in the settings as typed, but requests still go "
     "to address %2, and at the next start the program uses address 251."},
    {1301, "Návod k programu nelze zobrazit: chybí soubor %1",
     "The manual cannot be shown: the file %1 is missing"},
    {1302,
     "Návod k programu je v souboru %1, ale žádný prohlížeč jej neotevřel. Otevřete jej ve "
     "webovém prohlížeči.",
     "The manual is in %1, but no viewer opened it. Open it in a web browser."},
};
const int kAddedCount = static_cast<int>(sizeof(kAdded) / sizeof(kAdded[0]));

}  // namespace pelmo::texts
