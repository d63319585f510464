#include "app/CommandLine.h"

namespace vorlaxis {

WindowCommandLine ParseWindowCommandLine(const std::vector<std::string>& args) {
    WindowCommandLine line;
    bool options = true;
    for (const std::string& arg : args) {
        if (options && arg == "--") {
            options = false;
        } else if (options && (arg == "--help" || arg == "-h")) {
            // The first of --help and --version wins; a bad option before them does not.
            if (line.action == WindowCommandLine::Action::Run)
                line.action = WindowCommandLine::Action::Help;
        } else if (options && arg == "--version") {
            if (line.action == WindowCommandLine::Action::Run) {
                line.action = WindowCommandLine::Action::Version;
            }
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            if (line.action == WindowCommandLine::Action::Run) {
                line.action = WindowCommandLine::Action::BadUsage;
                line.error = "vorlaxis: neznámý přepínač \u201E" + arg +
                             "\u201C (nápovědu vypíše vorlaxis --help)\n";
            }
        } else {
            line.locations.push_back(arg);
        }
    }
    return line;
}

const char* WindowHelpText() {
    return "Použití: vorlaxis [UMÍSTĚNÍ...]\n"
           "\n"
           "Otevře okno programu Vorlaxis. Složky a jednotky uvedené na příkazovém řádku se\n"
           "přidají do seznamu umístění (pokud v něm ještě nejsou) a zaškrtnou se, ostatní\n"
           "umístění se pro tento běh odškrtnou. Seznam se uloží, jen když jej sami změníte.\n"
           "Test začne, až když jej spustíte.\n"
           "\n"
           "  -h, --help     vypíše tuto nápovědu a skončí\n"
           "      --version  vypíše verzi programu a skončí\n"
           "  --             co následuje, jsou umístění, i když začínají znakem \"-\"\n"
           "\n"
           "Test bez okna, pro skripty: vorlaxis-check (viz vorlaxis-check --help).\n";
}

const char* WindowVersionText() {
    return "vorlaxis " VORLAXIS_VERSION "\n";
}

const char* NoDisplayText() {
    return "vorlaxis: okno nelze otevřít, není k dispozici žádný displej (proměnné DISPLAY a\n"
           "WAYLAND_DISPLAY nejsou nastaveny nebo se k displeji nelze připojit).\n"
           "Bez okna otestuje soubory program vorlaxis-check, například:\n"
           "  vorlaxis-check /media/cdrom\n";
}

}  // namespace vorlaxis
