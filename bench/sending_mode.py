#!/usr/bin/python3
"""End-to-end cost of the whole job "compose a short text plus an attachment and deliver it to
a loopback SMTP sink": `tarvelle DEFINITION ATTACHMENT` and, in the same run on the same
Postfix smtp-sink, the peers: curl uploading an equivalent pre-built message (the transport
floor), s-nail, neomutt, swaks and Python's email + smtplib, each composing its own message.
Prints the median wall time and the peak resident memory of each tool and size, each peer's
ratio to tarvelle, and whether tarvelle's goals are met.

Usage: bench/sending_mode.py [BUILD_DIR] [SIZE ...]   (sizes like 0, 1K, 16M; default
       0 1K 1M 16M 64M). Environment: BENCH_RUNS (runs per tool and size, default 5).
Needs smtp-sink, curl, GNU time and the peers: bench/install-peers installs them. A composing
peer that is missing is left out with a note.
"""
import email.mime.application
import email.mime.multipart
import email.mime.text
import os
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import time

RUNS = int(os.environ.get("BENCH_RUNS", "5"))
SENDER, RECIPIENT, SUBJECT, TEXT = "from@example.jp", "to@example.jp", "benchmark", "A short text.\n"
HELO = "bench.example"  # named, so no peer waits on a lookup of the host's own name

PYTHON_PEER = """
import email.message, smtplib, sys
port, path = int(sys.argv[1]), sys.argv[2]
message = email.message.EmailMessage()
message["From"], message["To"], message["Subject"] = sys.argv[3:6]
message.set_content(sys.argv[6])
with open(path, "rb") as f:
    message.add_attachment(f.read(), maintype="application", subtype="octet-stream",
                           filename="data.bin")
with smtplib.SMTP("127.0.0.1", port, local_hostname="bench.example") as smtp:
    smtp.send_message(message)
"""


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def start_sink():
    sink = shutil.which("smtp-sink", path="/usr/sbin:/usr/bin")
    if not sink or not shutil.which("curl") or not os.access("/usr/bin/time", os.X_OK):
        sys.exit("sending_mode: smtp-sink, curl or GNU time missing: run bench/install-peers")
    port = free_port()
    args = [sink] + (["-u", "nobody"] if os.geteuid() == 0 else []) + [f"127.0.0.1:{port}", "64"]
    process = subprocess.Popen(args)
    for _ in range(100):
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            return process, port
        except OSError:
            time.sleep(0.05)
    process.kill()
    sys.exit("sending_mode: smtp-sink did not start")


def parse_size(text):
    units = {"K": 1 << 10, "M": 1 << 20}
    return int(text[:-1]) * units[text[-1].upper()] if text[-1].upper() in units else int(text)


def size_name(size):
    for unit, bytes_ in (("MiB", 1 << 20), ("KiB", 1 << 10)):
        if size >= bytes_ and size % bytes_ == 0:
            return f"{size // bytes_} {unit}"
    return f"{size} B"


def measure(args, env, work):
    """Median wall seconds and the largest peak RSS (MiB) over RUNS runs. GNU time gives the
    tool's own peak (a child of this interpreter would carry the interpreter's high-water
    mark); the wall clock around it includes starting GNU time and the tool (see launch_cost)."""
    walls, peaks = [], []
    report = os.path.join(work, "time.out")
    for _ in range(RUNS):
        started = time.monotonic()
        result = subprocess.run(["/usr/bin/time", "-q", "-f", "%M", "-o", report, *args],
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.PIPE, env=env, cwd=work)
        walls.append(time.monotonic() - started)
        if result.returncode != 0:
            sys.exit(f"sending_mode: {args[0]} failed ({result.returncode}): "
                     f"{result.stderr.decode(errors='replace')}")
        with open(report) as f:
            peaks.append(int(f.read().split()[-1]) / 1024)
    return statistics.median(walls), max(peaks)


def build_eml(attachment, path):
    message = email.mime.multipart.MIMEMultipart()
    message["From"], message["To"], message["Subject"] = SENDER, RECIPIENT, SUBJECT
    message.attach(email.mime.text.MIMEText(TEXT))
    with open(attachment, "rb") as f:
        message.attach(email.mime.application.MIMEApplication(f.read(), Name="data.bin"))
    with open(path, "wb") as f:
        f.write(message.as_bytes().replace(b"\n", b"\r\n"))


def tools(build, port, work):
    """(name, composes, command for an attachment, extra set-up) for every tool present."""
    url = f"smtp://127.0.0.1:{port}"
    body = os.path.join(work, "body.txt")
    definition = os.path.join(work, "mail.def")
    eml = os.path.join(work, "message.eml")
    found = [
        ("tarvelle", True, lambda a: [os.path.join(build, "app", "tarvelle"), definition, a]),
        ("curl", False, lambda a: ["curl", "-s", "-S", "--url", url, "--mail-from", SENDER,
                                   "--mail-rcpt", RECIPIENT, "-T", eml]),
    ]
    peers = [
        ("s-nail", "s-nail", lambda a: ["sh", "-c", 's-nail "$@" < body.txt', "s-nail", "-:/",
                              "-S", "v15-compat", "-S", f"mta={url}", "-S", "smtp-auth=none",
                              "-S", f"from={SENDER}", "-S", f"hostname={HELO}", "-S", "sendwait",
                              "-S", "nosave", "-s", SUBJECT, "-a", a, RECIPIENT]),
        ("neomutt", "neomutt", lambda a: ["sh", "-c", 'neomutt "$@" < body.txt', "neomutt", "-n", "-F",
                               "/dev/null", "-e",
                               f"set hostname={HELO} ssl_starttls=no ssl_force_tls=no "
                               f"smtp_url={url} from={SENDER} copy=no record= "
                               "charset=utf-8 send_charset=utf-8",
                               "-s", SUBJECT, "-a", a, "--", RECIPIENT]),
        ("swaks", "swaks", lambda a: ["swaks", "--server", f"127.0.0.1:{port}", "--from", SENDER,
                             "--to", RECIPIENT, "--helo", HELO, "--header", f"Subject: {SUBJECT}",
                             "--body", TEXT, "--attach", "@" + a]),
        ("python", "/usr/bin/python3", lambda a: ["/usr/bin/python3", "-c", PYTHON_PEER, str(port), a, SENDER,
                              RECIPIENT, SUBJECT, TEXT]),
    ]
    for name, program, command in peers:
        if shutil.which(program):
            found.append((name, True, command))
        else:
            print(f"sending_mode: {name} not installed, left out (bench/install-peers)")
    with open(body, "w") as f:
        f.write(TEXT)
    with open(definition, "wb") as f:
        f.write((f"SMTP=127.0.0.1:{port}\r\nTO=<{RECIPIENT}>\r\nCC=\r\n"
                 f'FROM="Sender"<{SENDER}>\r\nSUBJECT={SUBJECT}\r\nBODYTEXT=\r\n'
                 "A short text.\r\n").encode("cp932"))
    return found, eml


def launch_cost(env, work):
    """What the harness itself adds to every wall time: running /bin/true the same way."""
    return measure(["/bin/true"], env, work)[0]


def goals(results, composers, launch):
    """Tarvelle's goals, judged on the sizes this run measured."""
    lines = []
    slower = [f"{name} at {size_name(size)}" for (name, size), (wall, _) in results.items()
              if name in composers and wall <= results[("tarvelle", size)][0]]
    lines.append(("faster than every composing peer at every size",
                  not slower, "slower than or even with " + ", ".join(slower) if slower else ""))
    big = 64 << 20
    if ("curl", big) in results:
        ratio = results[("tarvelle", big)][0] / results[("curl", big)][0]
        lines.append(("within 1.5x of curl at 64 MiB", ratio <= 1.5, f"{ratio:.2f}x"))
    if ("tarvelle", 1 << 10) in results:
        wall = results[("tarvelle", 1 << 10)][0] - launch
        lines.append(("a 1 KiB mail under 25 ms", wall < 0.025,
                      f"{wall * 1000:.1f} ms (the wall time less the harness's {launch * 1000:.1f} ms)"))
    if ("tarvelle", big) in results and ("tarvelle", 0) in results:
        extra = results[("tarvelle", big)][1] - results[("tarvelle", 0)][1]
        lines.append(("peak at 64 MiB less an empty attachment's at most 4x the attachment",
                      extra <= 4 * 64, f"{extra:.0f} MiB = {extra / 64:.2f}x"))
    for goal, met, figure in lines:
        print(f"  {'met    ' if met else 'NOT met'}  {goal}" + (f": {figure}" if figure else ""))


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build")
    sizes = [parse_size(s) for s in sys.argv[2:]] or [0, 1 << 10, 1 << 20, 16 << 20, 64 << 20]
    sink, port = start_sink()
    work = tempfile.mkdtemp()
    # A home of its own, so no personal configuration of a peer takes part.
    env = dict(os.environ, HOME=work, QT_QPA_PLATFORM="offscreen", LC_ALL="C.UTF-8")
    results = {}
    try:
        found, eml = tools(build, port, work)
        composers = {name for name, composes, _ in found if composes and name != "tarvelle"}
        # Measured first, before the large runs have grown the machine's memory use.
        launch = launch_cost(env, work)
        print(f"median of {RUNS} runs; ratio = peer / tarvelle")
        print(f"{'attachment':>10}  {'tool':<9} {'wall s':>8} {'peak MiB':>9} {'x wall':>7} {'x peak':>7}")
        for size in sizes:
            attachment = os.path.join(work, "data.bin")
            with open(attachment, "wb") as f:
                f.write(os.urandom(size))
            build_eml(attachment, eml)
            for name, _, command in found:
                results[(name, size)] = measure(command(attachment), env, work)
            ours = results[("tarvelle", size)]
            for name, _, _ in found:
                wall, peak = results[(name, size)]
                ratios = "" if name == "tarvelle" else f" {wall / ours[0]:>7.2f} {peak / ours[1]:>7.2f}"
                print(f"{size_name(size):>10}  {name:<9} {wall:>8.3f} {peak:>9.1f}{ratios}")
        print(f"harness: /bin/true run the same way takes {launch:.3f} s")
        print("goals of tarvelle:")
        goals(results, composers, launch)
    finally:
        sink.terminate()
        sink.wait()
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
