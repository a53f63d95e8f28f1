#!/usr/bin/python3
"""End-to-end cost of the sending mode: `tarvelle DEFINITION ATTACHMENT` delivering to Postfix's
smtp-sink on loopback, beside curl uploading an equivalent pre-built message to the same sink in
the same run. Prints the median wall time and the peak resident memory of each.

Usage: bench/sending_mode.py [BUILD_DIR] [SIZE_MIB ...]   (defaults: build, 0 and 64)
Needs smtp-sink, curl and GNU time: bench/install-peers installs them.
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

RUNS = 3


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def start_sink():
    sink = shutil.which("smtp-sink", path="/usr/sbin:/usr/bin")
    if not sink or not shutil.which("curl"):
        sys.exit("sending_mode: smtp-sink or curl missing: run bench/install-peers")
    port = free_port()
    args = [sink] + (["-u", "nobody"] if os.geteuid() == 0 else []) + [f"127.0.0.1:{port}", "64"]
    process = subprocess.Popen(args)
    for _ in range(100):
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            return process, port
        except OSError:
            subprocess.run(["sleep", "0.05"])
    process.kill()
    sys.exit("sending_mode: smtp-sink did not start")


def measure(args):
    """Median wall seconds and the largest peak RSS (MiB) over RUNS runs."""
    walls, peaks = [], []
    for _ in range(RUNS):
        # GNU time reports the program's own peak, not this interpreter's pages it forked from.
        result = subprocess.run(["/usr/bin/time", "-f", "%e %M", *args], stdout=subprocess.DEVNULL,
                                stderr=subprocess.PIPE, text=True)
        if result.returncode != 0:
            sys.exit(f"sending_mode: {args[0]} failed: {result.stderr}")
        wall, peak_kib = result.stderr.split()[-2:]
        walls.append(float(wall))
        peaks.append(int(peak_kib) / 1024)
    return statistics.median(walls), max(peaks)


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    sizes = [int(s) for s in sys.argv[2:]] or [0, 64]
    tarvelle = os.path.join(build, "app", "tarvelle")
    sink, port = start_sink()
    work = tempfile.mkdtemp()
    try:
        definition = os.path.join(work, "mail.def")
        with open(definition, "wb") as f:
            f.write((f"SMTP=127.0.0.1:{port}\r\nTO=<to@example.jp>\r\nCC=\r\n"
                     'FROM="Sender"<from@example.jp>\r\nSUBJECT=benchmark\r\nBODYTEXT=\r\n'
                     "A short text.\r\n").encode("cp932"))
        print(f"{'attachment':>10} {'tarvelle s':>11} {'MiB':>7} {'curl s':>8} {'MiB':>7} {'ratio':>6}")
        for mib in sizes:
            attachment = os.path.join(work, f"data-{mib}.bin")
            with open(attachment, "wb") as f:
                f.write(os.urandom(mib << 20))
            message = email.mime.multipart.MIMEMultipart()
            message["From"], message["To"], message["Subject"] = "from@example.jp", "to@example.jp", "benchmark"
            message.attach(email.mime.text.MIMEText("A short text.\r\n"))
            with open(attachment, "rb") as f:
                message.attach(email.mime.application.MIMEApplication(f.read(), Name="data.bin"))
            eml = os.path.join(work, "message.eml")
            with open(eml, "wb") as f:
                f.write(message.as_bytes().replace(b"\n", b"\r\n"))
            ours = measure([tarvelle, definition, attachment])
            curl = measure(["curl", "-s", "-S", "--url", f"smtp://127.0.0.1:{port}",
                            "--mail-from", "from@example.jp", "--mail-rcpt", "to@example.jp",
                            "-T", eml])
            print(f"{mib:>7} MiB {ours[0]:>11.3f} {ours[1]:>7.1f} {curl[0]:>8.3f} {curl[1]:>7.1f} "
                  f"{ours[0] / curl[0]:>6.2f}")
    finally:
        sink.terminate()
        sink.wait()
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
