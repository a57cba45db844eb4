#include "command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <iterator>
#include <string_view>

namespace velunor {

const char* const kUsageLine =
    "Aufruf: velunor-convert [--status=copy|transform|discard] [--append] [--split=MINUTEN] "
    "[-o AUSGABE] [--jobs=N] [--rejected=DATEI] LOGDATEI...";

const char* const kHelpText =
    "Wandelt Log-Dateien (Name endet auf \"DAT.LOG\") in CSV-Dateien um und lässt ungültige\n"
    "Datensätze aus. Jede Log-Datei bekommt mit denselben Optionen ihre eigene Ausgabe.\n"
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
    "                   die Zusammenfassung dann auf die Standardfehlerausgabe; -o nur mit\n"
    "                   einer Log-Datei\n"
    "  --jobs=N         höchstens N Log-Dateien zugleich umwandeln (Vorgabe: Zahl der\n"
    "                   Prozessoren; 1: der Reihe nach)\n"
    "  --rejected=DATEI jede fehlerhafte ausgelassene Zeile in DATEI aufführen (\"-\":\n"
    "                   Standardausgabe, die Zusammenfassung dann auf die\n"
    "                   Standardfehlerausgabe): CSV mit Kopfzeile Zeile;Kanal;Länge;erwartet,\n"
    "                   bei mehreren Log-Dateien vorne die Spalte Datei\n"
    "  -h, --help       diese Hilfe anzeigen\n"
    "  -V, --version    Version anzeigen\n"
    "\n"
    "LOGDATEI \"-\" liest die Standardeingabe (nur mit -o). Eine mit gzip gepackte Log-Datei\n"
    "(NAME_DAT.LOG.gz) wird entpackt gelesen; ihre Ausgabe heißt wie die der ungepackten.\n"
    "\n"
    "Eine CSV-Datei oder Datei von --rejected, die gerade ein anderer Lauf schreibt, bleibt\n"
    "unverändert (Fehler 70).\n"
    "\n"
    "Mit mehreren Log-Dateien steht für jede umgewandelte eine Zeile \"NAME: ...\" in der\n"
    "Reihenfolge des Aufrufs in der Ausgabe, danach \"Gesamt: ...\" mit den Summen. Eine\n"
    "fehlgeschlagene Log-Datei hat keine Zeile: ihr Fehler steht mit ihrem Namen davor auf der\n"
    "Standardfehlerausgabe, und die übrigen werden trotzdem umgewandelt.\n"
    "\n"
    "Rückgabewert: 0 bei Erfolg (letzte Zeile: Zusammenfassung), 1 bei einem Fehler während\n"
    "einer Umwandlung, 2 bei falschem Aufruf oder ungültigem Dateinamen, 3 wenn eine nicht\n"
    "leere Log-Datei keine einzige Zeile eines Kanals enthält und sonst nichts fehlschlug\n"
    "(ihre leere CSV-Datei wird trotzdem geschrieben), 128 + Nummer des Signals nach Abbruch\n"
    "durch SIGINT, SIGTERM oder SIGHUP (die Ausgabe endet dann mit dem letzten vollständigen\n"
    "Datensatz).\n";

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

int ParseJobs(const std::string& text) {
  int jobs = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), jobs);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || jobs < 1) {
    throw UsageError{"Ungültiger Wert für --jobs: \"" + text + "\" (erlaubt: 1 oder mehr)."};
  }
  return jobs;
}

const char* const kOptionNames[] = {"--status",   "--append", "--split",   "-o", "--jobs",
                                    "--rejected", "--help",   "--version", "-h", "-V"};

// Whether the word is an option whose value is the next word.
bool TakesValue(std::string_view word) {
  return word == "-o" || word == "--status" || word == "--split" || word == "--jobs" ||
         word == "--rejected";
}

// Edits (insert, delete, replace one character) that turn `a` into `b`.
std::size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1] ? 1 : 0)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// A word that looks like an option but is none is named, with the option nearest to it, before
// CLI11 could only say that something did not fit. Words after "--" are logs whatever they hold.
void RefuseUnknownOptions(const std::vector<std::string>& arguments) {
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& word = arguments[i];
    if (word == "--") return;
    if (word.size() < 2 || word[0] != '-') continue;
    // "-oNAME" is -o with its value attached.
    const std::string name = word.starts_with("-o") ? "-o" : word.substr(0, word.find('='));
    const auto known = [&](const char* option) { return name == option; };
    if (std::any_of(std::begin(kOptionNames), std::end(kOptionNames), known)) {
      if (name == word && TakesValue(word)) ++i;
      continue;
    }
    const char* nearest = kOptionNames[0];
    for (const char* option : kOptionNames)
      if (EditDistance(name, option) < EditDistance(name, nearest)) nearest = option;
    throw UsageError{"Unbekannte Option: " + name + " (gemeint: " + nearest + "?)"};
  }
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
    if (word == "--status=" || word == "--split=" || word == "--jobs=" || word == "--rejected=") {
      words.push_back(word.substr(0, word.size() - 1));
      words.emplace_back();
      continue;
    }
    words.push_back(word);
    if (TakesValue(word) && i + 1 < arguments.size()) words.push_back(arguments[++i]);
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
  std::string jobs;
  std::string rejected;

  CLI::App app;
  app.set_help_flag();
  app.add_flag("-h,--help", result.ShowHelp);
  app.add_flag("-V,--version", result.ShowVersion);
  // Repeats are collected, not refused by CLI11, whose message would not say what is wrong.
  const auto collect = CLI::MultiOptionPolicy::TakeAll;
  CLI::Option* statusOption = app.add_option("--status", status)->multi_option_policy(collect);
  app.add_flag("--append", result.Options.Append);
  CLI::Option* splitOption = app.add_option("--split", split)->multi_option_policy(collect);
  CLI::Option* outputOption = app.add_option("-o", output)->multi_option_policy(collect);
  CLI::Option* jobsOption = app.add_option("--jobs", jobs)->multi_option_policy(collect);
  CLI::Option* rejectedOption =
      app.add_option("--rejected", rejected)->multi_option_policy(collect);
  CLI::Option* logOption = app.add_option("LOG", result.LogFiles);

  RefuseUnknownOptions(arguments);
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
  RefuseRepeated(*jobsOption, "--jobs");
  RefuseRepeated(*rejectedOption, "--rejected");
  if (outputOption->count() > 0 && output.empty()) {
    throw UsageError{"Leerer Dateiname für -o (\"-\": Standardausgabe)."};
  }
  if (rejectedOption->count() > 0 && rejected.empty()) {
    throw UsageError{"Leerer Dateiname für --rejected (\"-\": Standardausgabe)."};
  }
  if (logOption->count() == 0) throw UsageError{"Keine Log-Datei angegeben."};
  if (outputOption->count() > 0 && result.LogFiles.size() > 1) {
    throw UsageError{"-o ist nur mit einer Log-Datei erlaubt."};
  }
  // Standard input has no name to build the output's name on.
  if (result.LogFiles.front() == "-" && outputOption->count() == 0) {
    throw UsageError{"Die Standardeingabe als Log-Datei (\"-\") braucht -o AUSGABE."};
  }

  result.Options.StatusChannelMode = ParseStatus(status);
  result.Options.SplitMinutes = ParseSplit(split);
  if (outputOption->count() > 0) result.OutputPath = output;
  if (jobsOption->count() > 0) result.Jobs = ParseJobs(jobs);
  if (rejectedOption->count() > 0) result.RejectedPath = rejected;
  if (result.Options.SplitMinutes > 0 && (result.OutputPath || result.Options.Append)) {
    throw UsageError{
        "--split kann nicht mit -o oder --append verwendet werden: geteilte Ausgabedateien "
        "werden automatisch benannt und überschrieben."};
  }
  return result;
}

}  // namespace velunor
