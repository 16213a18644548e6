#!/usr/bin/env python3
"""Random-scenario fuzzer for the main window, run through the form driver.

Each seed gives one scenario: a script of driver commands that mixes every
command the driver knows with valid and hostile arguments (list selections,
bar positions in and out of range, expressions that are valid, wrong, huge,
endless, Cyrillic or full of control characters, parameter texts, resizes from
1 x 1 to 4000 x 3000, menus, message-box answers, garbage lines). The script is
fed to the driver one command at a time, each followed by `elapsed`, and the
run is flagged when

  - the driver dies (a signal or a non-zero exit status),
  - a sanitizer writes a report,
  - one command takes more than 3 s of processor time or 30 s on the clock
    (screenshots aside), or the driver stops answering,
  - a line the driver prints is not a JSON object in valid UTF-8,
  - a dump holds a non-finite number or a label shows one.

A flagged scenario is saved as a plain driver script beside a note of what
went wrong, so `formdriver < seed-N.txt` replays it.

Usage:
  scenario_fuzz.py --driver build-asan/formdriver --assets assets \\
                   [--seeds FIRST:LAST] [--minutes M] [--out DIR]
Seeds run in order from FIRST; the run ends after LAST or after M minutes,
whichever comes first. The exit status is 1 when any scenario was flagged.
"""

import argparse
import json
import math
import os
import queue
import random
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time

PICTURES = ["linein.gif", "parabola.gif", "sinus.gif", "cos.gif", "gauss.gif",
            "maxwell.gif", "plank_1.gif", "plank_2.gif", "vdv.gif"]
MENU_ITEMS = ["mnuFilespravka", "mnuFilespravka2", "mnuFileHistory", "mnuHelpSep2",
              "mnuFileExit", "mnuHelpInstruction", "mnuFileUprav", "mnuHelpSep1",
              "mnuHelpAvtors", "mnuHelpAbout", "mnuFileSavePicture", "mnuFile", "mnuHelp",
              "mnuFileSaveSheet", "mnuFilePrint", "mnuFileSaveData", "mnuStudySteps"]
# Reachable range of each bar (lowest, highest) as the driver sees it.
BARS = {1: (-32000, 32000), 2: (-32767, 32767), 3: (0, 32000), 4: (1, 5)}
USER_ENTRY = 9

COMMAND_LIMIT_S = 3.0   # a command using more processor time than this is flagged
WALL_LIMIT_S = 30.0     # and one that takes longer than this on the clock
STALL_LIMIT_S = 60.0    # a driver silent this long is killed

# ---- Expressions ----

VALID = [
    "x^2", "Sin(x)*Exp(-x)", "5+tan(30*3.14/180)*x -9.8*x^2/2/10^2/(cos(30*3.14/180))^2",
    "Abs(x)-Sqr(Abs(x))", "Log(Abs(x)+1)", "x Mod 3", "Int(x*10)/10", "CDbl(x)", "Atn(x)",
    "Round(x,2)", "Fix(x)", "Len(CStr(x))", "Rnd()*x", "Sgn(x)", "x\\2", "10^x", "-x", "(x)",
    "Cos(x)^3", "x*x*x-2*x", "Exp(-x^2)", "IIf(x>1,1,2)", "CInt(x)", "CLng(x)*1000",
    "Hex(x)", "Oct(x)", "Asc(\"A\")+x", "Len(Space(x+5))", "x+Res.p", "Res.pInt+x",
    "x:Res.pLong=Res.pLong+1", "x:Dim a(3):a(1)=x:Res.p=a(1)", "InStr(\"abcabc\",\"c\")*x",
    "Eval(\"x*2\")", "x:If x>1 Then Res.p=1", "x:Select Case x:Case 1:Res.p=2:End Select",
    "UBound(Split(\"a b c\"))+x", "DateSerial(2000,1,1)*0+x", "Timer*0+x", "CSng(x)/3",
]

WRONG = [
    "", "x+", "(", "Sin(", "x x", "1/0", "Foo(x)", "\"abc\"", "Res", "Nothing", "Null",
    "Empty", "x=", "Sin(x,", "x:End", "Array(1)", "1E309", "Exp(1000)", "CInt(1E10)",
    "Sqr(-1)", "Log(0)", "x/0", "0/0", "CDate(\"zz\")", "Err.Raise 5", "x:Err.Raise 1000",
    "Mid(\"a\",0)", "String(-1,\"a\")", "x:Dim x", "Me", "Set Res=Nothing", "x:Stop",
    "x)", "))))", "x:Function", "\"", "'", "x _", "&H", "#1/1/", "[x]", "x.y", "x(1)",
]

ENDLESS = [
    "x:Do:Loop", "x:While True:Wend", "x:For i=1 To 1E9:Next", "x:For i=1 To 10000000:Next",
    "x:Do While 1:Res.p=Res.p+1:Loop",
    "x:Function f(n):f=f(n+1):End Function:Res.p=f(1)",
    "x:Sub s():s:End Sub:s",
    "x:s=\"a\":For i=1 To 40:s=s&s:Next",
    "x:a=Array():For i=1 To 300000:a=Array(a):Next",
    "x:ReDim a(2147483647)",
    "x:ReDim a(100000,100000)",
    "InStr(String(1000000,\"a\"), String(500000,\"a\") & \"b\")",
    "Len(Replace(String(1000000,\"a\"),\"aa\",\"b\"))",
    "UBound(Split(String(1000000,\"a\"),\"ab\"))",
    "x:Do:Execute \"x=1\":Loop",
]

CYRILLIC = [
    "х^2", "Синус(x)", "x+\"привет\"", "x 'комментарий", "\"ё\"&x", "Len(\"Монте-Карло\")+x",
    "x*Ё", "Ваша функция", "sin(х)", "x:' Ответ", "Asc(\"Ж\")+x",
]

TOKENS = ["x", "1", "0", "2.5", "1E300", "-", "+", "*", "/", "\\", "^", "&", "Mod", "And", "Or",
          "Not", "(", ")", ",", ":", "=", "<", ">", "<>", "Sin", "Cos", "Exp", "Log", "Sqr",
          "Abs", "Int", "Rnd", "Array", "Dim", "ReDim", "If", "Then", "Else", "End", "For",
          "To", "Next", "Do", "Loop", "While", "Wend", "Function", "Sub", "Call", "Res", ".p",
          "\"s\"", "True", "False", "Empty", "Null", "Nothing", "Is", "Eval", "Execute", "'",
          "_", "#", "&H", "?", "[", "]", "Me", "On Error Resume Next", "Err", "Set", "New"]


def token_soup(rng):
    return " ".join(rng.choice(TOKENS) for _ in range(rng.randint(1, 30)))


def mutate(rng, text):
    chars = list(text)
    for _ in range(rng.randint(1, 4)):
        op = rng.randrange(4)
        pos = rng.randint(0, len(chars))
        if op == 0 and chars:
            del chars[min(pos, len(chars) - 1)]
        elif op == 1:
            chars.insert(pos, rng.choice("()+-*/^,:\"'&._ x1"))
        elif op == 2 and chars:
            k = min(pos, len(chars) - 1)
            chars[k:k] = chars[k:k + rng.randint(1, 8)]
        else:
            chars.insert(pos, chr(rng.choice([1, 7, 8, 9, 11, 12, 13, 27, 0x7F, 0x85, 0x2028])))
    return "".join(chars)


def huge(rng):
    kind = rng.randrange(6)
    n = rng.choice([100, 1000, 10000, 30000, 70000])
    if kind == 0:
        return "x" + "+x" * n
    if kind == 1:
        depth = rng.choice([100, 1000, 10000])
        return "Sin(" * depth + "x" + ")" * depth
    if kind == 2:
        return "(" * n + "x" + ")" * n
    if kind == 3:
        return "x" + "".join(":Function f%d():End Function" % k for k in range(n // 10))
    if kind == 4:
        return "x+Len(\"" + "я" * n + "\")"
    return "-" * n + "x"


def expression(rng):
    """An expression as bytes: the driver passes them on unchanged."""
    pick = rng.random()
    if pick < 0.25:
        text = rng.choice(VALID)
    elif pick < 0.40:
        text = rng.choice(WRONG)
    elif pick < 0.50:
        text = rng.choice(ENDLESS)
    elif pick < 0.58:
        text = rng.choice(CYRILLIC)
    elif pick < 0.70:
        text = token_soup(rng)
    elif pick < 0.85:
        text = mutate(rng, rng.choice(VALID + CYRILLIC))
    elif pick < 0.95:
        text = huge(rng)
    else:
        data = bytearray(rng.choice(VALID).encode())
        for _ in range(rng.randint(1, 5)):
            data.insert(rng.randint(0, len(data)), rng.choice([0xFF, 0xC3, 0x80, 0xED, 0xF4, 0xE0]))
        return bytes(data)
    return text.encode("utf-8", "surrogatepass")


PARAMETERS = ["0.90", "0,90", "", "abc", "1e308", "-1e308", "1e-320", "0", "1/3", "0.333333",
              "9" * 400, "NaN", "Infinity", "   5", "-", ".", "1.2.3", "0.9\x01", "пять", "1e",
              "&H10", "2" * 70000, "-0", "3.4028235e38", "1d5"]


def parameter(rng):
    text = rng.choice(PARAMETERS)
    if rng.random() < 0.2:
        text = mutate(rng, text)
    return text.encode("utf-8", "surrogatepass")


# ---- Commands ----

def bar_value(rng, bar):
    lo, hi = BARS.get(bar, (-40000, 40000))
    return rng.choice([lo, hi, lo - 1, hi + 1, 0, rng.randint(lo, hi), rng.randint(lo, hi),
                       rng.randint(-2**31, 2**31 - 1)])


def client_size(rng):
    return rng.choice([(1, 1), (4000, 3000), (44, 216), (45, 217), (640, 480), (0, 0),
                       (rng.randint(1, 4000), rng.randint(1, 3000)),
                       (rng.randint(1, 300), rng.randint(1, 300)),
                       (rng.randint(300, 1600), rng.randint(250, 1200))])


def command(rng, shots):
    """One driver command as bytes."""
    kinds = ["select"] * 14 + ["scroll"] * 14 + ["text1"] * 16 + ["text2"] * 7 + \
            ["click"] * 12 + ["menu"] * 5 + ["resize"] * 6 + ["move"] * 2 + ["answer"] * 4 + \
            ["seed"] * 2 + ["dump"] * 8 + ["shot"] + ["close"] + ["garbage"] * 3 + ["late"] + \
            ["edit"] * 5 + ["save"] + ["study"] * 6 + ["methods"] * 4 + ["steps"] * 6 + ["sheet"] * 2
    kind = rng.choice(kinds)
    if kind == "select":
        n = rng.choice([USER_ENTRY] * 3 + list(range(10)) + [-1, 10, 99999])
        return b"select %d" % n
    if kind == "scroll":
        k = rng.choice([1, 2, 3, 4, 1, 2, 3, 4, 0, 5])
        if rng.random() < 0.05:
            return b"scroll %d %s" % (k, rng.choice([b"abc", b"1e5", b"99999999999", b""]))
        return b"scroll %d %d" % (k, bar_value(rng, k))
    if kind == "text1":
        return b"text 1 " + expression(rng)
    if kind == "text2":
        return b"text " + rng.choice([b"2", b"2", b"2", b"3", b"0"]) + b" " + parameter(rng)
    if kind == "click":
        return b"click " + rng.choice([b"Command1", b"Command1", b"CmdOK", b"CmdOK", b"List1", b""])
    if kind == "menu":
        return b"menu " + rng.choice([m.encode() for m in MENU_ITEMS] + [b"mnuNothing", b""])
    if kind == "resize":
        return b"resize %d %d" % client_size(rng)
    if kind == "move":
        return b"move %d %d" % (rng.randint(-5000, 5000), rng.randint(-5000, 5000))
    if kind == "answer":
        return b"answer " + rng.choice([b"no", b"no", b"no", b"yes", b"maybe"])
    if kind == "seed":
        return b"seed %d" % rng.choice([0, 1, rng.randint(0, 2**64 - 1), -1])
    if kind == "dump":
        return b"dump"
    if kind == "shot":
        return b"shot " + (shots if rng.random() < 0.8 else b"/nonexistent/folder/shot.png")
    if kind == "close":
        return b"close"
    if kind == "edit":
        label = rng.choice([b"Label1", b"Label3", b"Label4", b"Label5", b"Label3", b"Label2", b"Label9"])
        value = rng.choice([b"0", b"1", b"-1", b"2.5", b"2,5", b"320", b"-320", b"1e10", b"abc", b"",
                            b"99999999999", b"0.001", "пять".encode(), b"\xff", b"5", b"-0.5"])
        return b"edit " + label + b" " + (value if rng.random() < 0.9 else parameter(rng))
    if kind == "save":
        return b"save " + rng.choice([shots.replace(b"shot.png", b"save.png"), shots.replace(b"shot.png", b"save.bmp"),
                                      shots.replace(b"shot.png", b"save"), b"/nonexistent/folder/x.png"])
    if kind == "study":
        return study_command(rng, shots)
    if kind == "methods":
        return methods_command(rng)
    if kind == "steps":
        return b"steps " + rng.choice([b"open", b"open", b"add 1", b"add 1000", b"add 0", b"add -5", b"add x",
                                       b"seed %d" % rng.randint(0, 2**64 - 1), b"seed -1", b"reset",
                                       b"speed 5000", b"speed 2", b"speed 0", b"play 300", b"play -1",
                                       b"close", b"frobnicate", b""])
    if kind == "sheet":
        target = rng.choice([shots.replace(b"shot.png", b"sheet.png"), shots.replace(b"shot.png", b"sheet.pdf"),
                             shots.replace(b"shot.png", b"data.csv"), b"/nonexistent/folder/x.pdf", b""])
        return rng.choice([b"savesheet ", b"print ", b"savedata ", b"savedata ru "]) + target
    if kind == "late":
        return rng.choice([b"start", b"size 100 100"])
    return rng.choice([b"frobnicate", b"\xff\xfe\xfd", b"select", b"scroll 1", b"text",
                       b"text 1", b"resize 1", b"answer", b"quits", b" dump",
                       b"\x01\x02", "команда".encode()])


def methods_command(rng):
    """A command of the study window's page "Методы": settings in and out of
    range, small runs to their end, runs started and cancelled."""
    what = rng.choice(["open"] * 3 + ["setting"] * 4 + ["start", "start", "cancel", "cancel", "run", "bad"])
    if what == "open":
        return rng.choice([b"methods open", b"menu mnuStudyMethods"])
    if what == "setting":
        name, valid = rng.choice([(b"n", b"%d" % rng.randint(10, 2000)), (b"nmax", b"%d" % rng.randint(100, 5000)),
                                  (b"runs", b"%d" % rng.randint(10, 30)), (b"perstratum", b"%d" % rng.randint(1, 20)),
                                  (b"seed", b"%d" % rng.randint(0, 2**64 - 1))])
        return b"methods %s %s" % (name, valid if rng.random() < 0.8 else
                                   rng.choice([b"0", b"-1", b"99999999999", b"abc", b""]))
    if what == "start":
        # Kept small: a started run goes on while the scenario does.
        return [b"methods nmax 1000", b"methods runs 10", b"methods start"]
    if what == "cancel":
        return b"methods cancel"
    if what == "run":
        # To its end: only for a built-in function and small settings.
        return [b"select %d" % rng.randint(0, 8), b"methods n 200", b"methods nmax 1000", b"methods runs 10",
                b"methods run"]
    return rng.choice([b"methods", b"methods frobnicate", b"methods n 1e4", b"methods runs 10 20"])


def study_command(rng, shots):
    """A command of the study window: settings in and out of range, runs
    started and cancelled while the main window goes on, saves and shots."""
    what = rng.choice(["open"] * 4 + ["nmax"] * 2 + ["runs"] * 2 + ["seed", "start", "start", "start",
                       "cancel", "cancel", "run", "save", "shot", "bad"])
    if what == "open":
        return rng.choice([b"study open", b"menu mnuStudyAccuracy"])
    if what == "nmax":
        # Kept small when valid: a started study runs on while the scenario goes on.
        return b"study nmax %s" % rng.choice([b"%d" % rng.randint(1000, 20000), b"999", b"0", b"-5",
                                              b"10000001", b"abc", b""])
    if what == "runs":
        return b"study runs %s" % rng.choice([b"%d" % rng.randint(10, 40), b"9", b"10001", b"x", b""])
    if what == "seed":
        return b"study seed %s" % rng.choice([b"%d" % rng.randint(0, 2**64 - 1), b"0", b"-1", b"zz"])
    if what == "start":
        return b"study start"
    if what == "cancel":
        return b"study cancel"
    if what == "run":
        # To its end: only for a built-in function and the smallest settings,
        # whose study takes a moment whatever the box.
        return [b"select %d" % rng.randint(0, 8), b"study nmax 1000", b"study runs 10", b"study run"]
    if what == "save":
        return b"study save %s %s" % (rng.choice([b"convergence", b"histogram", b"both", b""]),
                                      rng.choice([shots.replace(b"shot.png", b"study.png"),
                                                  b"/nonexistent/folder/study.png"]))
    if what == "shot":
        return b"study shot " + (shots if rng.random() < 0.8 else b"/nonexistent/folder/shot.png")
    return rng.choice([b"study", b"study frobnicate", b"study nmax 1e4", b"study runs 10 20"])


def scenario(seed, shots):
    rng = random.Random(seed)
    lines = []
    if rng.random() < 0.3:
        lines.append(b"size %d %d" % client_size(rng))
    if rng.random() < 0.1:
        lines.append(rng.choice([b"click CmdOK", b"dump", b"resize 10 10", b"menu mnuHelpAbout"]))
    lines.append(b"seed %d" % seed)
    lines.append(b"answer no")
    lines.append(b"start")
    for _ in range(rng.randint(8, 40)):
        # The expression box is visible only with the user's entry selected.
        if rng.random() < 0.15:
            lines.append(b"select %d" % USER_ENTRY)
        step = command(rng, shots)
        lines.extend(step if isinstance(step, list) else [step])
    lines.append(b"dump")
    return lines


# ---- Checks ----

NON_FINITE = {"NaN", "Infinity", "-Infinity"}
NON_FINITE_TEXT = re.compile(r"nan|inf", re.IGNORECASE)


def reject_constant(name):
    raise ValueError("bare " + name)


def non_finite_in(value, path):
    """Paths in a dump's numeric parts that hold a non-finite number."""
    found = []
    if isinstance(value, dict):
        for key, item in value.items():
            # The study's results use NaN for "no value yet"; its shown texts
            # are checked apart.
            if key in ("kod", "text", "items", "texts", "messages", "launched", "caption",
                       "file", "commandLine", "label1", "focus", "study"):
                continue
            found += non_finite_in(item, path + "." + key)
    elif isinstance(value, list):
        for k, item in enumerate(value):
            found += non_finite_in(item, "%s[%d]" % (path, k))
    elif isinstance(value, str) and value in NON_FINITE:
        found.append(path)
    elif isinstance(value, float) and not math.isfinite(value):
        found.append(path)
    return found


def check_dump(dump):
    problems = ["non-finite number at " + p for p in non_finite_in(dump, "dump")]
    controls = dump.get("controls", {})
    for name in ("Label1", "Label2", "Label3", "Label4", "Label5", "Label6"):
        caption = controls.get(name, {}).get("caption", "")
        if NON_FINITE_TEXT.search(caption):
            problems.append("%s shows %r" % (name, caption))
    study = dump.get("study", {})
    for name in ("status", "failure", "referenceVerdict"):
        if isinstance(study.get(name), str) and NON_FINITE_TEXT.search(study[name]):
            problems.append("study window shows %r" % study[name])
    for item in dump.get("canvas", {}).get("texts", []):
        if len(item) == 3 and isinstance(item[2], str) and NON_FINITE_TEXT.search(item[2]):
            problems.append("canvas shows %r" % item[2])
    return problems


def check_line(raw):
    """Problems with one printed line, and whether it answered `elapsed`."""
    try:
        obj = json.loads(raw.decode("utf-8"), parse_constant=reject_constant)
    except (UnicodeDecodeError, ValueError) as e:
        return ["not JSON (%s): %r" % (e, raw[:200])], None
    if not isinstance(obj, dict):
        return ["not a JSON object: %r" % raw[:200]], None
    if "elapsed" in obj and len(obj) <= 2:
        return [], (obj["elapsed"], obj.get("cpu", obj["elapsed"]))
    if "controls" in obj:
        return check_dump(obj), None
    return [], None


SANITIZER = re.compile(rb"ERROR: (Address|Leak|Memory|Thread)Sanitizer|runtime error:|"
                       rb"SUMMARY: (Address|Undefined|Leak)")


class Outcome:
    def __init__(self):
        self.problems = []
        self.commands = 0
        self.slowest = (0.0, b"")


def reader(stream, sink):
    for line in iter(stream.readline, b""):
        sink.put(line)
    sink.put(None)


def run_scenario(driver, assets, lines, seed, folder):
    rng = random.Random(-seed)
    for name in PICTURES:
        if rng.random() < 0.95:
            shutil.copy(os.path.join(assets, name), folder)
    env = dict(os.environ)
    env["QT_QPA_PLATFORM"] = "offscreen"
    env["XDG_RUNTIME_DIR"] = folder
    env["LC_ALL"] = env["LANG"] = rng.choice(["C", "C.UTF-8", "ru_RU.UTF-8"])
    # See tools/dev.sh for intercept_tls_get_addr=0.
    env.setdefault("ASAN_OPTIONS", "detect_leaks=1:intercept_tls_get_addr=0")
    env.setdefault("UBSAN_OPTIONS", "print_stacktrace=1:halt_on_error=1")
    outcome = Outcome()
    proc = subprocess.Popen([driver], cwd=folder, env=env, stdin=subprocess.PIPE,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    out = queue.Queue()
    err_chunks = []
    threading.Thread(target=reader, args=(proc.stdout, out), daemon=True).start()
    err_thread = threading.Thread(target=lambda: err_chunks.append(proc.stderr.read()), daemon=True)
    err_thread.start()

    ended = False
    for line in lines:
        try:
            proc.stdin.write(line + b"\nelapsed\n")
            proc.stdin.flush()
        except (BrokenPipeError, OSError):
            ended = True
            break
        outcome.commands += 1
        while True:
            try:
                raw = out.get(timeout=STALL_LIMIT_S)
            except queue.Empty:
                outcome.problems.append("no answer for %.0f s after %r" % (STALL_LIMIT_S, line[:120]))
                proc.kill()
                ended = True
                break
            if raw is None:
                ended = True
                break
            problems, elapsed = check_line(raw.rstrip(b"\n"))
            outcome.problems += ["%s (after %r)" % (p, line[:120]) for p in problems]
            if elapsed is not None:
                wall, cpu = elapsed
                if cpu > outcome.slowest[0]:
                    outcome.slowest = (cpu, line[:120])
                # A screenshot is the driver's own work (a PNG of up to
                # 4000 x 3000), not something a user waits for. Processor
                # time is what the program spends; the clock also counts
                # the other programs of a busy machine, so it gets a wider
                # bound that still catches a freeze.
                if not line.startswith((b"shot ", b"study shot ")) and (cpu > COMMAND_LIMIT_S or wall > WALL_LIMIT_S):
                    outcome.problems.append("%r took %.2f s (%.2f s of processor time)" % (line[:120], wall, cpu))
                break
        if ended:
            break
    try:
        proc.stdin.close()
    except OSError:
        pass
    try:
        proc.wait(timeout=STALL_LIMIT_S)
    except subprocess.TimeoutExpired:
        outcome.problems.append("driver did not end after its input closed")
        proc.kill()
        proc.wait()
    err_thread.join(timeout=10)
    stderr = b"".join(err_chunks)
    if proc.returncode != 0:
        outcome.problems.append("driver ended with status %d" % proc.returncode)
    match = SANITIZER.search(stderr)
    if match:
        start = max(0, match.start() - 200)
        outcome.problems.append("sanitizer report:\n" + stderr[start:start + 3000].decode("utf-8", "replace"))
    return outcome


def self_test():
    """The checks flag what they must and pass a sound line."""
    sound = {"controls": {"Label6": {"caption": "I=0.335", "geometry": [1.5, 2, 3, 4]},
                          "Text1": {"text": "NaN inf"}},
             "state": {"a": 0, "kod": "Infinity", "x": 1.25}, "canvas": {"texts": [[0, 1, "3.0"]]}}
    assert check_line(json.dumps(sound, ensure_ascii=False).encode()) == ([], None)
    assert check_line(b'{"elapsed":0.25,"cpu":0.125}') == ([], (0.25, 0.125))
    bad = [
        b'{"error":"unknown command: \xff"}',
        b'{"error": "cut',
        b'[1, 2]',
        b'{"state": {"y": NaN}, "controls": {}}',
        json.dumps({"controls": {}, "state": {"ymax": "Infinity"}}).encode(),
        json.dumps({"controls": {"Label2": {"caption": "I=-nan"}}}).encode(),
        json.dumps({"controls": {}, "canvas": {"texts": [[0, 0, "inf"]]}}).encode(),
        json.dumps({"controls": {"Picture1": {"geometry": [0, "NaN", 1, 1]}}}).encode(),
    ]
    for line in bad:
        problems, _ = check_line(line)
        assert problems, line
    assert SANITIZER.search(b"==1==ERROR: AddressSanitizer: stack-overflow")
    assert SANITIZER.search(b"number.cpp:12:5: runtime error: signed integer overflow")
    assert not SANITIZER.search(b"QStandardPaths: XDG_RUNTIME_DIR not set")
    print("self test passed")
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--driver")
    parser.add_argument("--assets")
    parser.add_argument("--seeds", default="1:1000000")
    parser.add_argument("--minutes", type=float, default=0)
    parser.add_argument("--out", default="")
    parser.add_argument("--print", dest="print_seed", type=int, default=None,
                        help="print the script of one seed and stop")
    parser.add_argument("--self-test", action="store_true", help="check the checks and stop")
    args = parser.parse_args()
    if args.self_test:
        return self_test()

    if args.print_seed is not None:
        for line in scenario(args.print_seed, b"shot.png"):
            sys.stdout.buffer.write(line + b"\n")
        return 0

    if not args.driver or not args.assets:
        parser.error("--driver and --assets are needed")
    driver = os.path.abspath(args.driver)
    assets = os.path.abspath(args.assets)
    first, last = (int(v) for v in args.seeds.split(":"))
    out_dir = args.out or tempfile.mkdtemp(prefix="scenario-fuzz-")
    os.makedirs(out_dir, exist_ok=True)
    deadline = time.monotonic() + args.minutes * 60 if args.minutes > 0 else None

    scenarios = commands = failures = 0
    slowest = (0.0, b"", 0)
    started = time.monotonic()
    for seed in range(first, last + 1):
        if deadline is not None and time.monotonic() >= deadline:
            break
        with tempfile.TemporaryDirectory(prefix="scenario-") as folder:
            lines = scenario(seed, os.path.join(folder, "shot.png").encode())
            outcome = run_scenario(driver, assets, lines, seed, folder)
        scenarios += 1
        commands += outcome.commands
        if outcome.slowest[0] > slowest[0]:
            slowest = (outcome.slowest[0], outcome.slowest[1], seed)
        if outcome.problems:
            failures += 1
            path = os.path.join(out_dir, "seed-%d.txt" % seed)
            with open(path, "wb") as f:
                f.write(b"\n".join(lines) + b"\n")
            with open(path + ".why", "w", encoding="utf-8") as f:
                f.write("\n".join(outcome.problems) + "\n")
            print("seed %d FAILED (%s):" % (seed, path), file=sys.stderr)
            for p in outcome.problems[:5]:
                print("  " + p, file=sys.stderr)
    minutes = (time.monotonic() - started) / 60
    print("scenario fuzz: %d scenarios, %d commands, %d failed, %.1f min; slowest command "
          "%.2f s of processor time (seed %d: %r)" % (scenarios, commands, failures, minutes, slowest[0], slowest[2],
                                    slowest[1][:80]))
    if failures:
        print("failing scripts in " + out_dir)
    elif not args.out:
        shutil.rmtree(out_dir, ignore_errors=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
