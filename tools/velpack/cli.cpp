#include "cli.h"

#include <charconv>
#include <exception>
#include <map>
#include <optional>
#include <string_view>

#include "advice.h"
#include "builder.h"
#include "code_page.h"
#include "extract.h"
#include "file_io.h"
#include "inspect.h"
#include "listing.h"
#include "manifest.h"
#include "new_package.h"
#include "signature.h"
#include "texts.h"

namespace velpack {

namespace {

// A parsed command line: one positional argument and the options given.
struct Arguments {
    std::vector<std::string> positional;
    std::map<std::string, std::vector<std::string>> values;  // option -> values, in order
    std::map<std::string, bool> flags;
    bool help = false;
};

struct Option {
    const char* longName;
    const char* shortName;  // "" when none
    bool takesValue;
};

class UsageError {
  public:
    explicit UsageError(std::string message) : message(std::move(message)) {}
    std::string message;
};

Arguments parseArguments(const std::vector<std::string>& args, size_t from,
                         const std::vector<Option>& options) {
    Arguments parsed;
    for (size_t i = from; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            parsed.help = true;
            continue;
        }
        if (arg.size() < 2 || arg[0] != '-') {
            parsed.positional.push_back(arg);
            continue;
        }
        const Option* match = nullptr;
        for (const Option& option : options) {
            if (arg == option.longName || (*option.shortName && arg == option.shortName)) {
                match = &option;
            }
        }
        if (match == nullptr) throw UsageError("unknown option " + arg);
        if (!match->takesValue) {
            parsed.flags[match->longName] = true;
        } else if (i + 1 >= args.size()) {
            throw UsageError(arg + " needs a value");
        } else {
            parsed.values[match->longName].push_back(args[++i]);
        }
    }
    return parsed;
}

std::string onlyPositional(const Arguments& parsed, const char* what) {
    if (parsed.positional.size() != 1) {
        throw UsageError(std::string("expected exactly one ") + what);
    }
    return parsed.positional.front();
}

std::optional<std::string> lastValue(const Arguments& parsed, const char* name) {
    const auto found = parsed.values.find(name);
    if (found == parsed.values.end()) return std::nullopt;
    return found->second.back();
}

std::optional<uint64_t> offsetOption(const Arguments& parsed) {
    const std::optional<std::string> given = lastValue(parsed, "--offset");
    if (!given) return std::nullopt;
    std::string_view text = *given;
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) {
        throw UsageError("--offset needs a number, not \"" + *given + "\"");
    }
    return value;
}

CodePage codePageOption(const Arguments& parsed) {
    const std::optional<std::string> given = lastValue(parsed, "--code-page");
    if (!given) return CodePage();
    int number = 0;
    const auto [end, error] = std::from_chars(given->data(), given->data() + given->size(), number);
    std::optional<CodePage> codePage;
    if (error == std::errc{} && end == given->data() + given->size()) {
        codePage = CodePage::find(number);
    }
    if (!codePage) {
        throw UsageError("--code-page must be " + std::string(kCodePageChoices) + ", not \"" +
                         *given + "\"");
    }
    return *codePage;
}

std::optional<fs::path> pathOption(const Arguments& parsed, const char* name) {
    const std::optional<std::string> value = lastValue(parsed, name);
    if (!value) return std::nullopt;
    return fs::path(*value);
}

struct LoadedInstaller {
    std::string name;
    std::vector<uint8_t> bytes;
};

std::optional<LoadedInstaller> loadInstaller(const std::string& path, std::ostream& err) {
    std::string reason;
    std::optional<std::vector<uint8_t>> bytes = readWholeFile(path, reason);
    if (!bytes) {
        err << path << ": cannot read: " << reason << "\n";
        return std::nullopt;
    }
    return LoadedInstaller{path, std::move(*bytes)};
}

void printProblems(const std::string& name, const Inspection& inspection, std::ostream& stream) {
    for (const std::string& problem : inspection.problems)
        stream << name << ": " << problem << "\n";
}

std::string jsonList(const std::vector<std::string>& lines) {
    std::string out = "[";
    for (size_t i = 0; i < lines.size(); ++i) out += (i ? ", " : "") + jsonString(lines[i]);
    return out + "]";
}

// Warnings as errors under --strict.
bool failsOn(const Advice& advice, const Arguments& parsed) {
    return !advice.errors.empty() ||
           (parsed.flags.contains("--strict") && !advice.warnings.empty());
}

// --sign CERT and --key KEY come together; --sign-digest only with them.
std::optional<SigningKey> signingOption(const Arguments& parsed) {
    const std::optional<fs::path> certificate = pathOption(parsed, "--sign");
    const std::optional<fs::path> key = pathOption(parsed, "--key");
    const std::optional<std::string> digest = lastValue(parsed, "--sign-digest");
    if (!certificate && !key && !digest) return std::nullopt;
    if (!certificate || !key) throw UsageError("--sign CERT and --key KEY go together");
    SigningKey signing{*certificate, *key};
    if (digest) {
        if (*digest != "sha1" && *digest != "sha256")
            throw UsageError("--sign-digest must be sha1 or sha256, not \"" + *digest + "\"");
        signing.digest = *digest;
    }
    return signing;
}

// A build's errors and warnings, gathered in order and told once at its end: as lines on
// stderr, or as the lists of the JSON summary.
struct BuildReport {
    std::vector<std::string> errors;
    std::vector<std::string> warnings;  // the advice's, as it words them

    void add(const std::vector<std::string>& more, std::string_view where = "") {
        for (const std::string& error : more) errors.push_back(std::string(where) + error);
    }
};

int runBuild(const Arguments& parsed, std::ostream& out, std::ostream& err) {
    const fs::path manifestPath = onlyPositional(parsed, "MANIFEST");
    const std::optional<SigningKey> signing = signingOption(parsed);
    const bool json = parsed.flags.contains("--json");
    const ManifestLoad load = loadManifest(manifestPath);
    fs::path output =
        pathOption(parsed, "--output").value_or(manifestPath.filename().replace_extension(".exe"));
    const std::string where = manifestPath.string() + ": ";
    BuildReport report;
    const auto finish = [&](int code, std::optional<size_t> size) {
        if (json) {
            out << "{\"manifest\": " << jsonString(manifestPath.string())
                << ", \"output\": " << jsonString(output.string())
                << ", \"written\": " << (size ? "true" : "false")
                << ", \"bytes\": " << size.value_or(0)
                << ", \"errors\": " << jsonList(report.errors)
                << ", \"warnings\": " << jsonList(report.warnings) << "}\n";
            return code;
        }
        for (const std::string& error : report.errors) err << error << "\n";
        for (const std::string& warning : report.warnings)
            err << where << "warning: " << warning << "\n";
        if (size) out << output.string() << ": " << *size << " bytes\n";
        return code;
    };
    report.add(load.errors);
    if (!load.manifest) return finish(kExitProblems, std::nullopt);

    BuildOptions options;
    options.signing = signing;
    options.stub = pathOption(parsed, "--stub");
    options.library = pathOption(parsed, "--impborl");
    if (const auto dirs = parsed.values.find("--project-dir"); dirs != parsed.values.end()) {
        options.projectDirs.assign(dirs->second.begin(), dirs->second.end());
    }
    BuildResult result = buildInstaller(*load.manifest, options);
    for (const std::string& note : result.notes) err << note << "\n";
    report.add(result.errors);
    if (!result.ok()) return finish(kExitProblems, std::nullopt);

    const Advice advice =
        adviseOn(inspectInstaller(result.installer, std::nullopt, load.manifest->codePage));
    report.add(advice.errors, where);
    report.warnings = advice.warnings;
    if (failsOn(advice, parsed)) return finish(kExitProblems, std::nullopt);

    // Signing comes last: nothing may write into the installer's bytes after it.
    if (options.signing) {
        BuildResult signedResult = result;
        signBuiltInstaller(*load.manifest, *options.signing, signedResult);
        report.add(std::vector<std::string>(
            signedResult.errors.begin() + std::ptrdiff_t(result.errors.size()),
            signedResult.errors.end()));
        if (!signedResult.ok()) return finish(kExitProblems, std::nullopt);
        result = std::move(signedResult);
    }

    if (const std::string failure = writeWholeFile(output, result.installer); !failure.empty()) {
        report.add({failure}, output.string() + ": ");
        return finish(kExitProblems, std::nullopt);
    }
    return finish(kExitOk, result.installer.size());
}

// Reads the installer at path and inspects it (--offset overrides where the
// package starts, --code-page the code page of its names); nothing when the
// file cannot be read, which is reported.
std::optional<Inspection> inspectFile(const Arguments& parsed, const std::string& path,
                                      std::ostream& err) {
    const std::optional<uint64_t> offset = offsetOption(parsed);
    const CodePage codePage = codePageOption(parsed);
    const std::optional<LoadedInstaller> installer = loadInstaller(path, err);
    if (!installer) return std::nullopt;
    return inspectInstaller(installer->bytes, offset, codePage);
}

int runList(const Arguments& parsed, std::ostream& out, std::ostream& err) {
    const std::string path = onlyPositional(parsed, "INSTALLER");
    const std::optional<Inspection> inspection = inspectFile(parsed, path, err);
    if (!inspection) return kExitProblems;
    if (parsed.flags.contains("--json")) {
        out << listingJson(*inspection, path);
    } else {
        out << listingText(*inspection, path);
    }
    printProblems(path, *inspection, err);
    return inspection->sound() ? kExitOk : kExitProblems;
}

int runExtract(const Arguments& parsed, std::ostream& out, std::ostream& err) {
    const std::string path = onlyPositional(parsed, "INSTALLER");
    const fs::path folder = pathOption(parsed, "--output")
                                .value_or(fs::path(fs::path(path).stem().string() + "-files"));
    const std::optional<Inspection> inspection = inspectFile(parsed, path, err);
    if (!inspection) return kExitProblems;
    printProblems(path, *inspection, err);
    const ExtractResult result = extractInstaller(*inspection, folder);
    for (const std::string& error : result.errors) err << path << ": " << error << "\n";
    out << result.written.size() << " files written to " << folder.string() << "\n";
    return inspection->sound() && result.errors.empty() ? kExitOk : kExitProblems;
}

// Who signed the installer, and its uninstaller (slot 9), as verify tells it.
std::string signatureText(const SignatureInfo& installer, const Inspection& inspection,
                          const SignatureInfo& uninstaller) {
    std::string line = !installer.present ? "not signed (a download warning names its publisher "
                                            "\"Unknown Publisher\")"
                       : installer.problem.empty() ? "signed by " + installer.signer +
                                                         " (issued by " + installer.issuer + ")"
                                                   : "signed, but " + installer.problem;
    if (inspection.slotContents[velumar::package::slots::uninstaller]) {
        line += uninstaller.present && uninstaller.problem.empty()
                    ? "; its uninstaller signed by " + uninstaller.signer
                    : "; its uninstaller not signed";
    }
    return line;
}

int runVerify(const Arguments& parsed, std::ostream& out, std::ostream& err) {
    const std::string path = onlyPositional(parsed, "INSTALLER");
    const std::optional<uint64_t> offset = offsetOption(parsed);
    const CodePage codePage = codePageOption(parsed);
    const std::optional<LoadedInstaller> installer = loadInstaller(path, err);
    if (!installer) return kExitProblems;
    const Inspection inspection = inspectInstaller(installer->bytes, offset, codePage);
    const Advice advice = adviseOn(inspection);
    std::vector<std::string> problems = inspection.problems;
    problems.insert(problems.end(), advice.errors.begin(), advice.errors.end());
    const SignatureInfo signature = readSignature(installer->bytes);
    SignatureInfo uninstallerSignature;
    if (const auto& uninstaller = inspection.slotContents[velumar::package::slots::uninstaller])
        uninstallerSignature = readSignature(*uninstaller);
    if (!signature.problem.empty()) problems.push_back(signature.problem);
    const bool sound = problems.empty() && !failsOn(advice, parsed);
    if (parsed.flags.contains("--json")) {
        out << "{\"installer\": " << jsonString(path)
            << ", \"sound\": " << (sound ? "true" : "false")
            << ", \"problems\": " << jsonList(problems)
            << ", \"warnings\": " << jsonList(advice.warnings)
            << ", \"signed\": " << (signature.present ? "true" : "false")
            << ", \"signer\": " << jsonString(signature.signer)
            << ", \"signerIssuer\": " << jsonString(signature.issuer)
            << ", \"uninstallerSigner\": " << jsonString(uninstallerSignature.signer) << "}\n";
        return sound ? kExitOk : kExitProblems;
    }
    for (const std::string& problem : problems) out << path << ": " << problem << "\n";
    for (const std::string& warning : advice.warnings)
        out << path << ": warning: " << warning << "\n";
    if (!parsed.flags.contains("--quiet"))
        out << path << ": " << signatureText(signature, inspection, uninstallerSignature) << "\n";
    if (sound && !parsed.flags.contains("--quiet")) out << path << ": sound\n";
    return sound ? kExitOk : kExitProblems;
}

int runNew(const Arguments& parsed, std::ostream& out, std::ostream& err) {
    NewPackageRequest request;
    request.folder = onlyPositional(parsed, "FOLDER");
    const std::optional<std::string> name = lastValue(parsed, "--name");
    const std::optional<fs::path> movie = pathOption(parsed, "--movie");
    if (!name) throw UsageError("new needs --name NAME");
    if (!movie) throw UsageError("new needs --movie FILE");
    request.name = *name;
    request.movie = *movie;
    request.kind = lastValue(parsed, "--kind").value_or("movie");
    request.preview = pathOption(parsed, "--preview");
    request.licence = pathOption(parsed, "--licence");
    request.force = parsed.flags.contains("--force");
    const NewPackageResult result = createPackage(request);
    for (const std::string& error : result.errors) err << "velpack new: " << error << "\n";
    for (const fs::path& written : result.written) out << written.string() << "\n";
    if (!result.ok()) return kExitProblems;
    out << "Next: velpack build \"" << result.manifest.string() << "\"\n";
    return kExitOk;
}

// Each command: its name, its options, its help (printed for -h or --help, whatever else
// the line holds) and what it does with the line parsed.
struct Command {
    std::string_view name;
    std::vector<Option> options;
    std::string_view help;
    int (*run)(const Arguments&, std::ostream&, std::ostream&);
};

const Command kCommands[] = {
    {"new",
     {{"--name", "", true},
      {"--movie", "", true},
      {"--kind", "", true},
      {"--preview", "", true},
      {"--licence", "", true},
      {"--force", "", false}},
     texts::kNewHelp,
     runNew},
    {"build",
     {{"--output", "-o", true},
      {"--json", "", false},
      {"--strict", "", false},
      {"--stub", "", true},
      {"--impborl", "", true},
      {"--project-dir", "", true},
      {"--sign", "", true},
      {"--key", "", true},
      {"--sign-digest", "", true}},
     texts::kBuildHelp,
     runBuild},
    {"list",
     {{"--json", "", false}, {"--offset", "", true}, {"--code-page", "", true}},
     texts::kListHelp,
     runList},
    {"extract",
     {{"--output", "-o", true}, {"--offset", "", true}, {"--code-page", "", true}},
     texts::kExtractHelp,
     runExtract},
    {"verify",
     {{"--offset", "", true},
      {"--quiet", "-q", false},
      {"--json", "", false},
      {"--strict", "", false},
      {"--code-page", "", true}},
     texts::kVerifyHelp,
     runVerify},
};

int dispatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty() || args[0] == "-h" || args[0] == "--help" || args[0] == "help") {
        out << texts::kUsage;
        return args.empty() ? kExitUsage : kExitOk;
    }
    if (args[0] == "--version") {
        out << texts::kVersion;
        return kExitOk;
    }
    for (const Command& command : kCommands) {
        if (args[0] != command.name) continue;
        const Arguments parsed = parseArguments(args, 1, command.options);
        if (parsed.help) {
            out << command.help;
            return kExitOk;
        }
        return command.run(parsed, out, err);
    }
    throw UsageError("unknown command \"" + args[0] + "\"");
}

}  // namespace

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    try {
        return dispatch(args, out, err);
    } catch (const UsageError& usage) {
        err << "velpack: " << usage.message << "\nTry \"velpack --help\".\n";
        return kExitUsage;
    } catch (const std::bad_alloc&) {
        err << "velpack: out of memory\n";
    } catch (const std::exception& failure) {
        err << "velpack: " << failure.what() << "\n";
    }
    return kExitProblems;
}

}  // namespace velpack
