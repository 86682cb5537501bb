#include "cli/CommandUsage.h"

namespace springtest {

namespace {

struct CommandHelp {
    const char* command;
    const char* text;
};

// Each text starts with the synopsis, so that the program's help is made of the commands' first lines.
constexpr CommandHelp kCommands[] = {
    {"init",
     "  init DIR [--machine-type N]\n"
     "                    lay out a working application folder in DIR (simulated card, default calibration,\n"
     "                    scheme database, database template); files already there are kept\n"},
    {"scheme",
     "  scheme add --name NAME --points P1,P2,... [--upper U1,...] [--lower L1,...] [--style 0-3]\n"
     "             [--initial-force F] [--return] [--solid] [--tension] [--stiffness-max X] [--stiffness-min "
     "Y]\n"
     "  scheme add --file FILE   the same from a file with a [scheme] section (name =, points =, ...; ';' "
     "and\n"
     "                    '#' start a comment; an unknown key is an error); options given as well win\n"
     "  scheme add --name NAME --points P1,P2,... [--upper U1,...] [--lower L1,...] [--style 0-3]\n"
     "             [--initial-force F] [--set-load F] [--proof-load F] [--max-load F]\n"
     "             [--leaf-thickness MM] [--carriage-height MM] [--mandrel-radius MM] [--return-height MM]\n"
     "                    on the leaf-spring machine (machine type 3): a leaf-spring scheme, style 3\n"
     "                    (负荷-变形) unless given, both strokes measured; the file's keys are the options'\n"
     "                    names with '_' (set_load =, leaf_thickness =, ...)\n"
     "  scheme add --name NAME --points P1,P2,... [--kind axial|lateral] [--style 0-3] ...\n"
     "                    on the lateral-stiffness machine (machine type 5): an axial scheme (轴向, the\n"
     "                    default: forward stroke only) or a lateral one (横向: both strokes, style 1 or 3\n"
     "                    only); the kind decides the strokes, so --return, --tension and --solid are not\n"
     "                    taken; the file's key is kind = axial|lateral\n"
     "  scheme list       the schemes of the machine type's editor (leaf-spring schemes on type 3; on\n"
     "                    type 5 each name is followed by a tab and its kind, 轴向 or 横向)\n"
     "  scheme show --name NAME\n"
     "                    the scheme as a scheme file, which scheme add --file reads back into the same\n"
     "                    scheme (on another installation of the same machine type)\n"},
    {"batch",
     "  batch new --batch NUMBER --scheme NAME [--overwrite]\n"
     "                    a batch database for the scheme in the machine type's batch folder; an existing\n"
     "                    batch is replaced when the operator says so on the terminal, or with "
     "--overwrite\n"},
    {"run",
     "  run --batch FILE_OR_NUMBER --speed MM_PER_MIN [--variable] [--series N --pause S] [--card N]\n"
     "      [--displacement MM] [--precompress N] [--rotate] [--full-rate] [--timeout S] [--json] [--yes]\n"
     "                    open the batch, run tests on the machine to their stored rows, print each state "
     "and\n"
     "                    point as it happens, the free height, the solid height and the return stroke, and\n"
     "                    for every stored test whether its points and stiffness were within their limits\n"
     "                    (--json: one JSON object per line); exit code 3: stored, but outside the limits\n"
     "                    on the leaf-spring machine (machine type 3) --precompress N (0 to 8) is required:\n"
     "                    the spring is pressed N + 1 times before its measuring cycle; each stored test\n"
     "                    tells its free arc height, arc height after pressing and at the set load\n"
     "                    on the lateral-stiffness machine (machine type 5) an axial scheme runs on card 0\n"
     "                    and a lateral one on card 1; an axial test tells X, Y, the offset at each point\n"
     "                    and the offset angle, a lateral test both strokes; --rotate turns the turntable\n"
     "                    after each stored axial test until the offset points to 0° (in a series after\n"
     "                    its last test; exit code 1 when the axial load kept it from turning)\n"
     "                    --full-rate keeps every reading of each test's curve (about 1000 a second)\n"
     "                    besides its 100 ms rows, as the machine's FullRateCurve=1 setting does; the\n"
     "                    result browser and the PDF certificate draw the curve from them\n"},
    {"export",
     "  export all|selected|report|points --batch FILE_OR_NUMBER [--tests N,M,...] [--name REPORT] [--test "
     "N]\n"
     "                    the result browser's spreadsheet exports: all results, the results of the given\n"
     "                    tests, the named report (with the curve of --test N, default the first) or the "
     "curve\n"
     "                    samples of test N; the workbook is written under report/ and its path printed\n"
     "  export csv --batch FILE_OR_NUMBER [--test N] [--separator comma|semicolon]\n"
     "                    the results as CSV, one row per test (every stored number as stored), or with\n"
     "                    --test N that test's curve samples; UTF-8 with a byte order mark, so spreadsheet\n"
     "                    programs read the Chinese titles; written under report/ and its path printed\n"
     "  export pdf --batch FILE_OR_NUMBER [--test N] [--out FILE]\n"
     "                    the one-page certificate of test N (lab, machine, operator, points with limits,\n"
     "                    units and verdicts, stiffness, heights, the curve, signature lines), or without\n"
     "                    --test the batch summary (statistics, one line per test); written under report/\n"
     "                    or to FILE (never over an existing file) and its path printed\n"
     "  export record --batch FILE_OR_NUMBER --test N\n"
     "                    the leaf-spring test record (性能试验记录) of test N with its curve: the sample\n"
     "                    from Report.ini, the points and the judged free arc height, static-load arc\n"
     "                    height, stiffness and permanent set; written under report/ and its path printed\n"
     "  export report --batch FILE_OR_NUMBER [--test N]\n"
     "                    on the lateral-stiffness machine (machine type 5): the lateral report\n"
     "                    (report_HXGD) of test N, default the first, with its load curve: one stroke on\n"
     "                    worksheet 2, both strokes on worksheet 3, values outside their limits red; all,\n"
     "                    selected, points and csv there write the lateral results with X, Y, offset, the\n"
     "                    operator and the offset angle (偏移角度)\n"},
    {"stats",
     "  stats --batch FILE_OR_NUMBER [--json | --csv [--separator comma|semicolon]]\n"
     "                    the batch's statistics per quantity (each point's value and stiffness per stroke,\n"
     "                    the spring height, the solid height): n, mean, standard deviation (of a sample,\n"
     "                    n-1), min, max, range and, where the scheme sets limits, Cp, Cpk and the tests\n"
     "                    within them (合格), above (强) and below (弱); a figure that cannot be had is "
     "empty\n"},
    {"monitor",
     "  monitor [--duration S] [--interval MS] [--speed MM_PER_MIN] [--yes]\n"
     "                    live load, peak, gear, displacement and deformation of every card on the "
     "terminal;\n"
     "                    on a terminal, keys move (u/d), stop (s), zero (z, x) and quit (q)\n"},
    {"password",
     "  password --user NAME\n"
     "                    set an operator account's password (the accounts that may log in to the settings;\n"
     "                    a new application folder has admin/admin); read twice from the terminal, or as "
     "one\n"
     "                    line from standard input\n"},
    {"align",
     "  align --return-height MM [--card N] [--timeout S] [--yes]\n"
     "                    automatic platen alignment: the crosshead comes down until the platens touch (0.5 "
     "%\n"
     "                    of the load gear's range), the displacement is zeroed there, and the crosshead "
     "goes\n"
     "                    back up to the return height\n"},
    {"compensate",
     "  compensate [--card N] [--load F] [--speed MM_PER_MIN] [--loading-speed MM_PER_MIN] [--timeout S]\n"
     "             [--yes]\n"
     "                    displacement compensation: the platens close on each other (or on a stiff block)\n"
     "                    to 5 % of the full range, the displacement is zeroed, the load goes slowly to F\n"
     "                    (default 95 % of the full range); the frame's yield per load unit is stored as "
     "the\n"
     "                    compensation coefficient, and the load is taken off again\n"},
    {"calibrate",
     "  calibrate --gear G --points F1[,F2[,F3]] [--card N] [--side compression|tension]\n"
     "            [--direction down|up] [--speed MM_PER_MIN] [--approach-speed MM_PER_MIN]\n"
     "            [--settle MS] [--operator NAME] [--yes]\n"
     "                    load calibration against a force standard: the gear's zero with nothing\n"
     "                    on the machine, then each point loaded until the machine indicates it,\n"
     "                    and the standard's reading stored as that point (the simulator's\n"
     "                    reference transducer, otherwise typed at the prompt); --speed loads,\n"
     "                    --approach-speed meets and leaves the standard; recorded in the audit trail\n"},
    {"verify",
     "  verify --gear G [--card N] [--steps F1,...,F5[,...]] [--report FILE.pdf]\n"
     "         [--operator NAME] [--speed MM_PER_MIN] [--approach-speed MM_PER_MIN]\n"
     "         [--settle MS] [--yes]\n"
     "                    force verification after ISO 7500-1: three series over at least five\n"
     "                    steps of 20 % to 100 % of the gear's range (default 20, 40, 60, 80,\n"
     "                    100 %), q, b, a per step, the zero error and the class reached; stored\n"
     "                    in the scheme database and written as a PDF report (default under\n"
     "                    report/); exit code 3: no class reached\n"},
    {"audit",
     "  audit [--key PART]\n"
     "                    the audit trail: every recorded change of a machine setting (calibration, zero),\n"
     "                    oldest first: when, who, file, [section] key, old value → new value; --key shows\n"
     "                    the keys containing PART; the trail cannot be changed\n"},
};

const char* const kHead =
    "usage: springtest [--appdir DIR] [COMMAND [OPTIONS]]\n"
    "\n"
    "Operator software of the microcomputer-controlled spring testing machine.\n"
    "\n"
    "commands:\n"
    "  (none)            the operator console (needs a display; under X11 without one: xvfb-run -a "
    "springtest)\n";

const char* const kTail =
    "  --help            this text; springtest COMMAND --help describes one command\n"
    "\n"
    "--appdir DIR chooses the application folder (configuration, databases); default: the program's folder.\n"
    "Files named on the command line are found from the folder the program is started in.\n"
    "\n"
    "The console and run, monitor, calibrate, verify, align and compensate drive the machine: one of them at "
    "a\n"
    "time per application folder; another says \"程序正在运行!!\". They need a folder made by springtest "
    "init.\n"
    "SIGINT (Ctrl+C), SIGTERM and SIGHUP stop every motor, save the displacement and end them.\n"
    "\n"
    "exit codes:\n"
    "  0       done; for run: every test stored, every point and stiffness within its limits\n"
    "  1       refused or failed, and the message says why; for run: a test that was not stored\n"
    "  2       the command line is wrong: an unknown command or option, a missing or malformed value\n"
    "  3       run: every test stored, but a point or a stiffness outside its limits; verify: no class\n"
    "  128+N   run, monitor, calibrate, verify, align, compensate: ended by signal N (130 Ctrl+C,\n"
    "          143 SIGTERM, 129 SIGHUP) after stopping\n";

}  // namespace

QString programUsage() {
    QString text = QString::fromUtf8(kHead);
    for (const CommandHelp& c : kCommands) text += QString::fromUtf8(c.text);
    return text + QString::fromUtf8(kTail);
}

QString commandUsage(const QString& command) {
    for (const CommandHelp& c : kCommands)
        if (command == QLatin1String(c.command))
            return QStringLiteral("usage: springtest [--appdir DIR]\n") + QString::fromUtf8(c.text);
    return {};
}

bool asksForHelp(const QStringList& args) {
    return args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"));
}

}  // namespace springtest
