"""An SMTP sink on 127.0.0.1 for the mail tests.

Usage: smtp_sink.py DIR [MODE] [USER:PASSWORD]

It listens on a free port of 127.0.0.1, prints "PORT <n>" and serves until it
is terminated. Modes:
  sink          accepts every mail (default); AUTH LOGIN is offered without
                TLS; with USER:PASSWORD other credentials get 535
  refuse-rcpt   as sink, but every recipient gets 550
  stall         accepts connections and never answers
  drop-data     answers up to DATA, then closes the connection mid-message
  trickle       greets, then answers EHLO with an endless reply, a byte at a
                time
  no-greeting   the same as stall
  stall:STEP    a scripted server that answers as a sink would until STEP,
                then reads on and never answers again; STEP is EHLO, MAIL,
                RCPT, DATA, DOT (the "." that ends the message) or QUIT
  slow:SECONDS  a scripted server that sends each answer, the greeting
                included, SECONDS after it is due
Each accepted mail N is written to DIR/N.eml (the message as received, dot
stuffing removed) and DIR/N.env (sender, then one recipient a line); each
AUTH to DIR/auth.log as "login<TAB>password" lines.
"""
import asyncio
import os
import socket
import sys
import threading
import time
import logging

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


def main():
    # The library logs a deprecation note on every AUTH; only errors matter.
    logging.getLogger("mail.log").setLevel(logging.ERROR)
    out_dir = sys.argv[1]
    mode = sys.argv[2] if len(sys.argv) > 2 else "sink"
    expected = sys.argv[3].encode() if len(sys.argv) > 3 else None

    if mode in ("stall", "no-greeting"):
        serve_raw(stall)
    elif mode.startswith("stall:"):
        step = mode.split(":", 1)[1].upper()
        serve_raw(lambda conn: scripted(conn, out_dir, stall_at=step), threaded=True)
    elif mode.startswith("slow:"):
        delay = float(mode.split(":", 1)[1])
        serve_raw(lambda conn: scripted(conn, out_dir, delay=delay), threaded=True)
    elif mode == "drop-data":
        serve_raw(lambda conn: scripted(conn, out_dir, drop_data=True), threaded=True)
    elif mode == "trickle":
        serve_raw(trickle)
    else:
        serve_sink(out_dir, mode, expected)


class Handler:
    def __init__(self, out_dir, mode):
        self.out_dir = out_dir
        self.mode = mode
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if self.mode == "refuse-rcpt":
            return "550 5.1.1 No such user"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.out_dir, str(self.count))
        with open(base + ".eml", "wb") as f:
            f.write(envelope.original_content)
        with open(base + ".env", "w") as f:
            f.write(envelope.mail_from + "\n")
            for r in envelope.rcpt_tos:
                f.write(r + "\n")
        return "250 OK queued"


class Sink(SMTP):
    async def challenge_auth(self, challenge, encode_to_b64=True, log_client_response=False):
        # An empty value goes out as "=" (RFC 4954); take it as empty.
        challenge = challenge.encode() if isinstance(challenge, str) else challenge
        from base64 import b64encode, b64decode
        await self.push(b"334 " + (b64encode(challenge) if encode_to_b64 else challenge))
        line = (await self._reader.readline()).strip()
        if line == b"=":
            return b""
        try:
            return b64decode(line, validate=True)
        except Exception:
            await self.push("501 5.5.2 Can't decode base64")
            from aiosmtpd.smtp import MISSING
            return MISSING


def serve_sink(out_dir, mode, expected):
    def authenticator(server, session, envelope, mechanism, auth_data):
        if isinstance(auth_data, LoginPassword):
            with open(os.path.join(out_dir, "auth.log"), "ab") as f:
                f.write(auth_data.login + b"\t" + auth_data.password + b"\n")
            if expected is not None and auth_data.login + b":" + auth_data.password != expected:
                return AuthResult(success=False, handled=False)
        return AuthResult(success=True)

    handler = Handler(out_dir, mode)
    loop = asyncio.new_event_loop()
    asyncio.set_event_loop(loop)
    server = loop.run_until_complete(loop.create_server(
        lambda: Sink(handler, hostname="sink.test", authenticator=authenticator,
                     auth_require_tls=False, decode_data=False),
        "127.0.0.1", 0))
    announce(server.sockets[0].getsockname()[1])
    loop.run_forever()


def serve_raw(session, threaded=False):
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(8)
    announce(listener.getsockname()[1])
    kept = []
    while True:
        conn, _ = listener.accept()
        kept.append(conn)
        if threaded:
            threading.Thread(target=session, args=(conn,), daemon=True).start()
        else:
            session(conn)


mail_count = [0]
mail_lock = threading.Lock()


def scripted(conn, out_dir, stall_at=None, delay=0.0, drop_data=False):
    """A small SMTP server: EHLO, MAIL, RCPT, DATA, the message, QUIT.
    From the step stall_at on it answers nothing; every answer waits delay
    seconds; with drop_data the connection is closed after the message's
    first line. An accepted message is written as the sink writes it."""
    f = conn.makefile("rb")
    stalled = [False]

    def answer(step, text):
        if stalled[0] or step == stall_at:
            stalled[0] = True
            return
        if delay:
            time.sleep(delay)
        conn.sendall(text.encode() + b"\r\n")

    try:
        answer("GREETING", "220 peer.test ESMTP")
        sender, rcpts = "", []
        while True:
            line = f.readline()
            if not line:
                break
            verb = line[:4].upper()
            if verb in (b"EHLO", b"HELO"):
                answer("EHLO", "250 peer.test")
            elif verb == b"MAIL":
                sender = line.split(b"<", 1)[-1].split(b">", 1)[0].decode()
                rcpts = []
                answer("MAIL", "250 OK")
            elif verb == b"RCPT":
                rcpts.append(line.split(b"<", 1)[-1].split(b">", 1)[0].decode())
                answer("RCPT", "250 OK")
            elif verb == b"DATA":
                answer("DATA", "354 go ahead")
                if drop_data:
                    f.readline()
                    conn.shutdown(socket.SHUT_RDWR)
                    break
                data = b""
                while True:
                    l = f.readline()
                    if not l or l == b".\r\n":
                        break
                    data += l[1:] if l.startswith(b".") else l
                if not l:
                    break
                if not stalled[0] and stall_at != "DOT":
                    with mail_lock:
                        mail_count[0] += 1
                        base = os.path.join(out_dir, str(mail_count[0]))
                    with open(base + ".eml", "wb") as out:
                        out.write(data)
                    with open(base + ".env", "w") as out:
                        out.write(sender + "\n" + "".join(r + "\n" for r in rcpts))
                answer("DOT", "250 OK queued")
            elif verb == b"QUIT":
                answer("QUIT", "221 bye")
                if not stalled[0]:
                    break
            else:
                answer("OTHER", "250 OK")
    except OSError:
        pass
    if not stalled[0]:
        conn.close()


def stall(conn):
    pass  # never a byte


def trickle(conn):
    conn.sendall(b"220 sink.test ESMTP\r\n")
    conn.recv(1000)
    try:
        while True:
            for b in b"250-still thinking\r\n":
                conn.sendall(bytes([b]))
                time.sleep(0.05)
    except OSError:
        conn.close()


def announce(port):
    sys.stdout.write("PORT %d\n" % port)
    sys.stdout.flush()


if __name__ == "__main__":
    main()
