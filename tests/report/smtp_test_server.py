"""A loopback SMTP server for the mail tests.

Usage: smtp_test_server.py MODE FOLDER
  MODE   accept  take every message and write what it received into FOLDER
         reject  answer every message's data with 550
         hang    greet and answer the commands, then never answer the message's data
         silent  take the connection and never say a word, not even a greeting
Prints the port it listens on (127.0.0.1) as its first line and serves until its standard input
is closed, so it ends with the test that started it.

For each accepted message N (from 1) it writes:
  mail-N.envelope   "MAIL FROM" address, then each recipient, one per line
  mail-N.eml        the message as received
  mail-N.subject    the Subject header
  mail-N.body       the decoded bytes of the first text/plain part
  mail-N.parts      one line per attachment: content type, TAB, file name
  mail-N.attachment-K   the decoded bytes of attachment K (from 1)
"""

import asyncio
import email
import email.policy
import os
import sys

from aiosmtpd.smtp import SMTP


class Handler:
    def __init__(self, mode, folder):
        self.mode = mode
        self.folder = folder
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        if self.mode == "reject":
            return "550 5.7.1 Message rejected by the test server"
        if self.mode == "hang":
            await asyncio.sleep(3600)
        self.count += 1
        self.save(self.count, envelope)
        return "250 2.0.0 OK"

    def save(self, number, envelope):
        def path(suffix):
            return os.path.join(self.folder, f"mail-{number}.{suffix}")

        with open(path("envelope"), "w") as out:
            out.write("\n".join([envelope.mail_from] + list(envelope.rcpt_tos)) + "\n")
        with open(path("eml"), "wb") as out:
            out.write(envelope.original_content)
        message = email.message_from_bytes(envelope.original_content, policy=email.policy.compat32)
        with open(path("subject"), "w") as out:
            out.write(message.get("Subject", ""))
        body = b""
        parts = []
        for part in message.walk():
            if part.is_multipart():
                continue
            filename = part.get_filename()
            if filename is None and part.get_content_type() == "text/plain" and not body:
                body = part.get_payload(decode=True)
            elif filename is not None:
                parts.append((part.get_content_type(), filename, part.get_payload(decode=True)))
        with open(path("body"), "wb") as out:
            out.write(body)
        with open(path("parts"), "w") as out:
            for content_type, filename, _ in parts:
                out.write(f"{content_type}\t{filename}\n")
        for index, (_, _, data) in enumerate(parts, start=1):
            with open(path(f"attachment-{index}"), "wb") as out:
                out.write(data)


async def main():
    mode, folder = sys.argv[1], sys.argv[2]
    handler = Handler(mode, folder)
    loop = asyncio.get_running_loop()
    if mode == "silent":
        server = await loop.create_server(asyncio.Protocol, "127.0.0.1", 0)
    else:
        server = await loop.create_server(
            lambda: SMTP(handler, hostname="localhost", data_size_limit=None), "127.0.0.1", 0)
    print(server.sockets[0].getsockname()[1], flush=True)
    stdin_closed = loop.create_future()
    loop.add_reader(sys.stdin.fileno(),
                    lambda: stdin_closed.done() or os.read(sys.stdin.fileno(), 4096)
                    or stdin_closed.set_result(None))
    await stdin_closed
    server.close()


if __name__ == "__main__":
    asyncio.run(main())
