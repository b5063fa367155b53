#include "app/ImportType.h"

#include "app/BankConversion.h"
#include "app/PayrollConversion.h"

#include "platform/Text.h"

const std::vector<ImportType>& ImportType::All() {
    static const std::vector<ImportType> types{
        {"SZLA1", W1250("SZLA1  Számla feladás(Harvolen)"), "feladas*.DBF", ""},
        {"PENZ1", W1250("PENZ1  Házipénztár feladás(Harvolen)"), "winptk*.dbf", ""},
        {"BER1", W1250("BER1    Bér feladás (SZAMORG)"), "wber*.dbf", ""},
        {"BANK1", "BANK1  Bank import( Raiff)", "KVF*.TXT", BankConversion::Output},
        {"BANK2", "BANK2  Bank Import (OTP)", "*HUF.HUF", ""},
        // The payroll program's own table, converted before posting.
        {"FKBER", W1250("FKBER  Bér forrás tábla (SZAMORG)"), "FKBER.DBF",
         PayrollConversion::Output},
    };
    return types;
}

const std::string& ImportType::InitialText() {
    static const std::string text = W1250("SZLA1   Számla feladás(harvolen)");
    return text;
}

const ImportType* ImportType::ForText(const std::string& text) {
    for (const ImportType& type : All())
        if (text.compare(0, type.Code.size(), type.Code) == 0) return &type;
    return nullptr;
}

const ImportType* ImportType::ForCode(const std::string& code) {
    for (const ImportType& type : All())
        if (type.Code == code) return &type;
    return nullptr;
}
