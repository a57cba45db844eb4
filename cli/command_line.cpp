#include "command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>

namespace velunor {

const char* const kUsageLine =
    "Aufruf: velunor-convert [--status=copy|transform|discard] [--append] [--split=MINUTEN] "
    "[-o AUSGABE] LOGDATEI";

const char* const kHelpText =
    "Wandelt eine Log-Datei (Name endet auf \"DAT.LOG\") in CSV-Dateien um und lässt ungültige\n"
    "Datensätze aus.\n"
    "\n"
    "Optionen:\n"
    "  --status=MODUS   Status-Kanäle Nr. 7 und 8: copy (unverändert kopieren),\n"
    "                   transform (umformen für Grafische-Darstellung, Vorgabe),\n"
    "                   discard (Daten verwerfen)\n"
    "  --append         an eine vorhandene CSV-Datei anhängen statt sie zu überschreiben\n"
    "  --split=MINUTEN  Ausgabe in Zeitabschnitte von MINUTEN Minuten aufteilen (0 bis 2880,\n"
    "                   0: keine Teilung); die Dateien heißen nach ihrer Log-Zeit, z. B.\n"
    "                   NAME_00d01h00m.CSV, und werden überschrieben, wenn vorhanden\n"
    "  -o AUSGABE       Name der CSV-Datei (ohne Teilung; Vorgabe: Log-Name ohne\n"
    "                   \"_DAT.LOG\", dafür \".CSV\"); \"-o -\": auf die Standardausgabe,\n"
    "                   die Zusammenfassung dann auf die Standardfehlerausgabe\n"
    "  --help           diese Hilfe anzeigen\n"
    "  --version        Version anzeigen\n"
    "\n"
    "Eine CSV-Datei, die gerade ein anderer Lauf schreibt, bleibt unverändert (Fehler 70).\n"
    "\n"
    "Rückgabewert: 0 bei Erfolg (letzte Zeile: Zusammenfassung), 1 bei einem Fehler während\n"
    "der Umwandlung, 2 bei falschem Aufruf oder ungültigem Dateinamen, 128 + Nummer des\n"
    "Signals nach Abbruch durch SIGINT, SIGTERM oder SIGHUP (die Ausgabe endet dann mit dem\n"
    "letzten vollständigen Datensatz).\n";

namespace {

StatusChannelMode ParseStatus(const std::string& text) {
  if (text.empty())
    throw UsageError{"Leerer Wert für --status (erlaubt: copy, transform, discard)."};
  if (text == "copy") return StatusChannelMode::CopyUnchanged;
  if (text == "transform") return StatusChannelMode::Transform;
  if (text == "discard") return StatusChannelMode::Discard;
  throw UsageError{"Ungültiger Wert für --status: \"" + text +
                   "\" (erlaubt: copy, transform, discard)."};
}

std::int16_t ParseSplit(const std::string& text) {
  if (text.empty()) throw UsageError{"Leerer Wert für --split (erlaubt: 0 bis 2880)."};
  int minutes = -1;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), minutes);
  if (error != std::errc() || end != text.data() + text.size() || minutes < 0 || minutes > 2880) {
    throw UsageError{"Ungültiger Wert für --split: \"" + text + "\" (erlaubt: 0 bis 2880)."};
  }
  return static_cast<std::int16_t>(minutes);
}

std::string GermanParseMessage(const CLI::ParseError& error) {
  if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr) {
    return "Unbekannte Option oder zu viele Argumente.";
  }
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr) {
    return "Einer Option fehlt ihr Wert.";
  }
  return "Ungültiger Aufruf.";
}

// CLI11 reads "--split=" with nothing after the "=" as "--split" followed by the next word,
// which would swallow the log's name; an empty value is passed as a word of its own instead.
std::vector<std::string> EmptyValuesAsWords(const std::vector<std::string>& arguments) {
  std::vector<std::string> words;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& word = arguments[i];
    if (word == "--") {
      words.insert(words.end(), arguments.begin() + static_cast<std::ptrdiff_t>(i),
                   arguments.end());
      break;
    }
    if (word == "--status=" || word == "--split=") {
      words.push_back(word.substr(0, word.size() - 1));
      words.emplace_back();
      continue;
    }
    words.push_back(word);
    const bool takesNext = word == "-o" || word == "--status" || word == "--split";
    if (takesNext && i + 1 < arguments.size()) words.push_back(arguments[++i]);
  }
  return words;
}

void RefuseRepeated(const CLI::Option& option, const char* name) {
  if (option.count() > 1) {
    throw UsageError{std::string("Die Option ") + name + " ist mehrfach angegeben."};
  }
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine result;
  std::string status = "transform";
  std::string split = "0";
  std::string output;

  CLI::App app;
  app.set_help_flag();
  app.add_flag("--help", result.ShowHelp);
  app.add_flag("--version", result.ShowVersion);
  // Repeats are collected, not refused by CLI11, whose message would not say what is wrong.
  const auto collect = CLI::MultiOptionPolicy::TakeAll;
  CLI::Option* statusOption = app.add_option("--status", status)->multi_option_policy(collect);
  app.add_flag("--append", result.Options.Append);
  CLI::Option* splitOption = app.add_option("--split", split)->multi_option_policy(collect);
  CLI::Option* outputOption = app.add_option("-o", output)->multi_option_policy(collect);
  CLI::Option* logOption = app.add_option("LOGFILE", result.LogFile);

  const std::vector<std::string> words = EmptyValuesAsWords(arguments);
  std::vector<std::string> reversed(words.rbegin(), words.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& error) {
    throw UsageError{GermanParseMessage(error)};
  }
  if (result.ShowHelp || result.ShowVersion) return result;
  RefuseRepeated(*statusOption, "--status");
  RefuseRepeated(*splitOption, "--split");
  RefuseRepeated(*outputOption, "-o");
  if (outputOption->count() > 0 && output.empty()) {
    throw UsageError{"Leerer Dateiname für -o (\"-\": Standardausgabe)."};
  }
  if (logOption->count() == 0) throw UsageError{"Keine Log-Datei angegeben."};

  result.Options.StatusChannelMode = ParseStatus(status);
  result.Options.SplitMinutes = ParseSplit(split);
  if (outputOption->count() > 0) result.OutputPath = output;
  if (result.Options.SplitMinutes > 0 && (result.OutputPath || result.Options.Append)) {
    throw UsageError{
        "--split kann nicht mit -o oder --append verwendet werden: geteilte Ausgabedateien "
        "werden automatisch benannt und überschrieben."};
  }
  return result;
}

}  // namespace velunor
