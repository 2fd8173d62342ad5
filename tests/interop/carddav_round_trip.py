#!/usr/bin/python3
"""A round trip through a real CardDAV server: radicale on 127.0.0.1 holds
the address book, vdirsyncer mirrors it into Velmora's contacts folder, and
velmora-sync keeps a phone book in step with the mirror. Changes made on the
server reach the phone, changes made on the phone reach the server, and a
run with nothing to do uploads nothing.

    carddav_round_trip.py VELMORA_SYNC
"""

import base64
import ctypes
import os
import re
import shutil
import signal
import sqlite3
import subprocess
import sys
import tempfile
import time
import urllib.error
import urllib.request
import uuid
import xml.etree.ElementTree as ET
from pathlib import Path

sys.dont_write_bytecode = True
from interop import (run_test, PROGRAM_TIMEOUT, Failed, Velmora, by_tag, check,  # noqa: E402
                     check_agreement, fn_matches, parse_cards, read_phone_book,
                     read_sync_database)

# Every wait is bounded; these are limits, never expectations.
SERVER_START_TIMEOUT = 30
HTTP_TIMEOUT = 20

USER, PASSWORD = "velmora", uuid.uuid4().hex  # a throw-away account
COLLECTION = f"/{USER}/contacts/"

DAV = "{DAV:}"


def require(program, package):
    found = shutil.which(program) or (Path("/usr/bin") / program if
                                      (Path("/usr/bin") / program).exists() else None)
    check(found is not None, f"{program} is missing: install the Debian package {package} "
          "(scripts/install-packages does)")
    return str(found)


def die_with_parent():
    # A server left behind by a killed test would hold its port and folder.
    PR_SET_PDEATHSIG = 1
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGTERM)


class Radicale:
    """A CardDAV server of the test's own: 127.0.0.1, a port the system picks,
    storage and a throw-away password file in `folder`."""

    def __init__(self, folder):
        self.folder = Path(folder)
        self.folder.mkdir()
        self.log = self.folder / "radicale.log"
        self.process = None
        self.port = None

    def start(self):
        program = require("radicale", "radicale")
        (self.folder / "users").write_text(f"{USER}:{PASSWORD}\n")
        (self.folder / "config").write_text(f"""\
[server]
hosts = 127.0.0.1:0
[auth]
type = htpasswd
htpasswd_filename = {self.folder / "users"}
htpasswd_encryption = plain
[rights]
type = owner_only
[storage]
filesystem_folder = {self.folder / "collections"}
[web]
type = none
[logging]
level = info
mask_passwords = True
""")
        with open(self.log, "wb") as log:
            self.process = subprocess.Popen(
                [program, "--config", str(self.folder / "config")],
                stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
                env=dict(os.environ, HOME=str(self.folder)), preexec_fn=die_with_parent)
        deadline = time.monotonic() + SERVER_START_TIMEOUT
        while self.port is None:
            check(self.process.poll() is None,
                  f"radicale stopped at its start:\n{self.log.read_text(errors='replace')}")
            check(time.monotonic() < deadline,
                  f"radicale did not listen within {SERVER_START_TIMEOUT} s:\n"
                  f"{self.log.read_text(errors='replace')}")
            found = re.search(r"Listening on '\[?127\.0\.0\.1\]?:(\d+)'",
                              self.log.read_text(errors="replace"))
            if found:
                self.port = int(found.group(1))
            else:
                time.sleep(0.1)
        check(self.port != 0, "radicale listens on port 0")

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(timeout=10)

    @property
    def url(self):
        return f"http://127.0.0.1:{self.port}"


class Dav:
    """Plain HTTP to the server: what another CardDAV client would send."""

    def __init__(self, server):
        self.server = server
        self.auth = "Basic " + base64.b64encode(f"{USER}:{PASSWORD}".encode()).decode()

    def request(self, method, path, body=None, headers=None, expect=(200,)):
        request = urllib.request.Request(self.server.url + path, data=body, method=method)
        request.add_header("Authorization", self.auth)
        for name, value in (headers or {}).items():
            request.add_header(name, value)
        try:
            with urllib.request.urlopen(request, timeout=HTTP_TIMEOUT) as response:
                status, reply, etag = response.status, response.read(), response.headers["ETag"]
        except urllib.error.HTTPError as error:
            status, reply, etag = error.code, error.read(), None
        check(status in expect, f"{method} {path} answered {status}, not {expect}:\n"
              f"{reply.decode(errors='replace')}")
        return reply, etag

    def make_address_book(self):
        body = (b'<?xml version="1.0" encoding="utf-8"?>'
                b'<D:mkcol xmlns:D="DAV:" xmlns:C="urn:ietf:params:xml:ns:carddav"><D:set><D:prop>'
                b'<D:resourcetype><D:collection/><C:addressbook/></D:resourcetype>'
                b'<D:displayname>Contacts</D:displayname></D:prop></D:set></D:mkcol>')
        self.request("MKCOL", COLLECTION, body, {"Content-Type": "application/xml"},
                     expect=(201,))

    def put(self, name, text, etag=None):
        headers = {"Content-Type": "text/vcard; charset=utf-8"}
        headers.update({"If-Match": etag} if etag else {"If-None-Match": "*"})
        self.request("PUT", COLLECTION + name, text.encode("utf-8"), headers, expect=(201, 204))

    def get(self, href):
        reply, etag = self.request("GET", href)
        return reply.decode("utf-8"), etag

    def delete(self, href, etag):
        self.request("DELETE", href, headers={"If-Match": etag}, expect=(200, 204))

    def state(self):
        """The collection's sync-token and each card's ETag: any upload that
        changes the server changes one of them."""
        body = (b'<?xml version="1.0" encoding="utf-8"?><D:propfind xmlns:D="DAV:"><D:prop>'
                b'<D:getetag/><D:sync-token/></D:prop></D:propfind>')
        reply, _ = self.request("PROPFIND", COLLECTION, body,
                                {"Depth": "1", "Content-Type": "application/xml"},
                                expect=(207,))
        token, etags = None, {}
        for response in ET.fromstring(reply).iter(DAV + "response"):
            href = response.findtext(DAV + "href")
            for prop in response.iter(DAV + "prop"):
                if href.rstrip("/") == COLLECTION.rstrip("/"):
                    token = prop.findtext(DAV + "sync-token") or token
                elif etag := prop.findtext(DAV + "getetag"):
                    etags[href] = etag
        check(token, f"the server gave no sync-token:\n{reply.decode(errors='replace')[:2000]}")
        return token, etags

    def cards(self):
        """Every card on the server, read with python3-vobject, by address."""
        _, etags = self.state()
        found = {}
        for href in sorted(etags):
            text, etag = self.get(href)
            (card,) = parse_cards(text, f"server {href}")
            found[href] = (card, etag, text)
        return found


class Vdirsyncer:
    """A pair of the server's collection and Velmora's contacts folder. No
    conflict resolution is set: the runs never overlap, so a card changed on
    both sides between two syncs would be a fault, and vdirsyncer fails on it."""

    def __init__(self, folder, server, contacts):
        self.program = require("vdirsyncer", "vdirsyncer")
        self.folder = Path(folder)
        self.folder.mkdir()
        self.config = self.folder / "config"
        self.config.write_text(f"""\
[general]
status_path = "{self.folder / 'status'}/"

[pair phone]
a = "phone_contacts"
b = "phone_server"
collections = null

[storage phone_contacts]
type = "filesystem"
path = "{contacts}/"
fileext = ".vcf"

[storage phone_server]
type = "carddav"
url = "{server.url}{COLLECTION}"
username = "{USER}"
password = "{PASSWORD}"
""")
        self.last_output = ""

    def run(self, *args):
        done = subprocess.run([self.program, "-c", str(self.config), *args],
                              stdin=subprocess.DEVNULL, capture_output=True, text=True,
                              timeout=PROGRAM_TIMEOUT,
                              env=dict(os.environ, HOME=str(self.folder)))
        self.last_output = done.stdout + done.stderr
        check(done.returncode == 0,
              f"vdirsyncer {' '.join(args)} exited with {done.returncode}:\n{self.last_output}")
        return self.last_output

    def sync(self):
        return self.run("sync")

    def copied(self):
        """vdirsyncer's lines about an item it copied or deleted last time."""
        return [line for line in self.last_output.splitlines()
                if re.search(r"Copying|Deleting|Updating", line)]


def card_text(uid, family, given, numbers, email=None, marked="YES"):
    """A card as another CardDAV client would upload it."""
    lines = ["BEGIN:VCARD", "VERSION:3.0", f"UID:{uid}", f"FN:{given} {family}",
             f"N:{family};{given};;;"]
    lines += [f"TEL;TYPE={types}:{number}" for types, number in numbers]
    if email:
        lines.append(f"EMAIL;TYPE=INTERNET:{email}")
    if marked:
        lines.append(f"X-VELMORA-SYNC:{marked}")
    return "\r\n".join(lines + ["END:VCARD", ""])


def with_tel(text, types, number):
    """The card's text with the first TEL of `types` (say "CELL") set to
    `number`, everything else as the server gave it."""
    pattern = re.compile(rf"^(TEL;[^:\r\n]*\b{types}\b[^:\r\n]*):[^\r\n]*", re.M | re.I)
    check(pattern.search(text), f"the card has no {types} number:\n{text}")
    return pattern.sub(lambda m: f"{m.group(1)}:{number}", text, count=1)


def with_names(text, family, given):
    """The card's text renamed as another program would: FN and N."""
    for name, value in (("FN", f"{given} {family}"), ("N", f"{family};{given};;;")):
        pattern = re.compile(rf"^{name}(;[^:\r\n]*)?:[^\r\n]*", re.M | re.I)
        check(pattern.search(text), f"the card has no {name} line:\n{text}")
        text = pattern.sub(lambda m: f"{name}{m.group(1) or ''}:{value}", text, count=1)
    return text


def check_named(card, name, family, given, what):
    """The card shows `name` (the phone's "Last, First") in every vCard
    program: FN in either order, N split into its parts."""
    check(card.name == name and card.fn and fn_matches(card.fn, name) and
          (card.family, card.given) == (family, given),
          f"{what} reached the server as FN {card.fn!r}, N {card.family!r};{card.given!r}, "
          f"file-as {card.file_as!r}; the phone's name is {name!r}")


class RoundTrip:
    def __init__(self, program, tmp):
        tmp = Path(tmp)
        self.contacts = tmp / "contacts"
        self.server = Radicale(tmp / "server")
        self.dav = Dav(self.server)
        self.velmora = Velmora(program, tmp / "home")
        self.tmp = tmp

    def phone(self):
        return read_phone_book(self.velmora.data / "PhoneBook.db")

    def phone_id_of(self, name):
        ids = [i for i, c in self.phone().items() if c.name == name]
        check(len(ids) == 1, f"the phone book holds {len(ids)} contacts named {name!r}")
        return ids[0]

    def server_card_of(self, contact_id):
        found = [(href, card, etag, text) for href, (card, etag, text) in self.dav.cards().items()
                 if card.contact_id == contact_id]
        check(len(found) == 1,
              f"the server holds {len(found)} cards with contact ID {contact_id}")
        return found[0]

    def round(self):
        """What the user runs: fetch, synchronize with the phone, send back."""
        self.vdirsyncer.sync()
        self.velmora.sync()
        self.vdirsyncer.sync()

    def check_quiet(self):
        """Everything in step: Velmora changes nothing, vdirsyncer copies
        nothing, and the server's sync-token and ETags stay as they were."""
        before = self.dav.state()
        self.velmora.quiet_sync(self.contacts)
        self.vdirsyncer.sync()
        check(self.vdirsyncer.copied() == [],
              "vdirsyncer copied cards after a run with nothing to do:\n"
              + "\n".join(self.vdirsyncer.copied()))
        check(self.dav.state() == before,
              "the server changed after a run with nothing to do")

    def check_server_agrees(self):
        """Every card on the server reads with python3-vobject and says what
        the phone book and the sync database hold."""
        cards = [card for card, _, _ in self.dav.cards().values()]
        check_agreement(cards, self.phone(), read_sync_database(self.velmora.data / "Velmora.db"),
                        "The server's cards")
        return cards

    def run(self):
        self.server.start()
        self.dav.make_address_book()

        # Scenario: a first synchronization. The demo's address book is on
        # the server (as another client put it there) and its phone book on
        # the phone; the mirror starts empty.
        demo = self.tmp / "demo-cards"
        self.velmora.settings(ContactsPath=demo)
        self.velmora.run("demo", "--contacts", "30", "--seed", "21")
        for path in sorted(demo.glob("*.vcf")):
            self.dav.put(path.name, path.read_text(encoding="utf-8"))
        self.contacts.mkdir()
        self.velmora.settings(ContactsPath=self.contacts)
        self.vdirsyncer = Vdirsyncer(self.tmp / "vdirsyncer", self.server, self.contacts)
        self.vdirsyncer.run("discover")
        self.round()
        cards = self.check_server_agrees()
        check(sum(1 for c in cards if c.contact_id) >= 20,
              "fewer than 20 cards on the server carry a contact ID after the first run")
        self.check_quiet()

        # Scenario: a contact created on the server and one changed there
        # reach the phone book.
        self.dav.put("interop-new.vcf", card_text(
            "interop-new-1", "Okafor", "Chidi",
            [("CELL", "+44 20 7946 0018"), ("WORK,VOICE", "(202) 555-0142")],
            email="Chidi.Okafor@Example.org"))
        changed_id = min(c.contact_id for c in cards if c.marked and c.contact_id and
                         any(k.tag == "M" for k in c.numbers))
        href, _, etag, text = self.server_card_of(changed_id)
        self.dav.put(href.rsplit("/", 1)[1], with_tel(text, "CELL", "(303) 555-0177"), etag)
        self.round()
        phone = self.phone()
        chidi = phone[self.phone_id_of("Okafor, Chidi")]
        check(by_tag(chidi.numbers) ==
              {"M": "+442079460018", "W1": "2025550142", "E": "chidi.okafor@example.org"},
              f"the card made on the server reached the phone as {chidi}")
        check(by_tag(phone[changed_id].numbers).get("M") == "3035550177",
              f"the number changed on the server reached the phone as {phone[changed_id]}")
        _, new_card, _, _ = self.server_card_of(self.phone_id_of("Okafor, Chidi"))
        check(new_card.uid == "interop-new-1",
              f"the server's new card came back with the UID {new_card.uid!r}")
        self.check_server_agrees()
        self.check_quiet()

        # Scenario: changes made on the phone reach the server: a new number,
        # a rename, a contact added, a contact deleted.
        phone = self.phone()
        mobile_changed = max(i for i, c in phone.items() if any(k.tag == "M" for k in c.numbers))
        deleted = max(i for i in phone if i != mobile_changed)
        renamed = min(i for i in phone if i not in (mobile_changed, deleted))
        added = max(phone) + 1
        with sqlite3.connect(self.velmora.data / "PhoneBook.db") as db:
            db.execute("UPDATE tblContactList SET Number = '7205550163' "
                       "WHERE ContactID = ? AND NumberType = 4", (mobile_changed,))
            db.execute("UPDATE tblContactList SET ContactName = 'Rossi-Verdi, Anna' "
                       "WHERE ContactID = ?", (renamed,))
            db.execute("DELETE FROM tblContactList WHERE ContactID = ?", (deleted,))
            speed = db.execute("SELECT MAX(SpeedDial) + 1 FROM tblContactList").fetchone()[0]
            db.execute("INSERT INTO tblContactList (ContactID, ContactName, Number, NumberType, "
                       "SpeedDial, PhoneNumberLength) VALUES (?, 'Mensah, Kwame', '6175550139', "
                       "2, ?, 6)", (added, speed))
        self.round()
        _, card, _, _ = self.server_card_of(mobile_changed)
        check(by_tag(card.numbers).get("M") == "7205550163",
              f"the number changed on the phone reached the server as {card.raw_numbers}")
        _, card, _, _ = self.server_card_of(renamed)
        check_named(card, "Rossi-Verdi, Anna", "Rossi-Verdi", "Anna", "the rename on the phone")
        _, card, _, _ = self.server_card_of(added)
        check_named(card, "Mensah, Kwame", "Mensah", "Kwame", "the contact added on the phone")
        check(by_tag(card.numbers) == {"H": "6175550139"} and card.marked,
              f"the contact added on the phone reached the server with {card.raw_numbers}, "
              f"taking part: {card.marked}")
        check(not any(c.contact_id == deleted for c, _, _ in self.dav.cards().values()),
              f"contact {deleted}, deleted on the phone, is still on the server")
        self.check_server_agrees()
        self.check_quiet()

        # Scenario: a contact changed differently on both sides, one deleted
        # on the server, and one renamed there by another program (in FN and
        # N only). Nobody is there to choose: the phone's version is kept and
        # written to the server; the deletion and the rename reach the phone.
        phone = self.phone()
        both = min(i for i, c in phone.items() if any(k.tag == "M" for k in c.numbers))
        gone = min(i for i in phone if i not in (both, added))
        href, _, etag, text = self.server_card_of(both)
        self.dav.put(href.rsplit("/", 1)[1], with_tel(text, "CELL", "(415) 555-0101"), etag)
        href, _, etag, _ = self.server_card_of(gone)
        self.dav.delete(href, etag)
        href, card, etag, text = self.server_card_of(added)
        # A file-as line would name the card whatever FN and N say.
        check(card.file_as is None, f"the card Velmora made for Mensah, Kwame has a file-as "
              f"line that only repeats N:\n{text}")
        self.dav.put(href.rsplit("/", 1)[1], with_names(text, "Mensah-Boateng", "Kwame"), etag)
        with sqlite3.connect(self.velmora.data / "PhoneBook.db") as db:
            db.execute("UPDATE tblContactList SET Number = '4155550102' "
                       "WHERE ContactID = ? AND NumberType = 4", (both,))
        self.round()
        _, card, _, _ = self.server_card_of(both)
        check(by_tag(card.numbers).get("M") == "4155550102",
              f"after a conflict settled for the phone the server holds {card.raw_numbers}")
        check(gone not in self.phone(), f"contact {gone}, deleted on the server, is still on "
              "the phone")
        check(self.phone()[added].name == "Mensah-Boateng, Kwame",
              f"the rename on the server reached the phone as {self.phone()[added].name!r}")
        self.check_server_agrees()

        # Scenario: the last run finds everything in step and sends nothing.
        self.check_quiet()


def main(program):
    # A CTest timeout or ^C ends the test through its cleanup.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("FAILED: stopped from outside"))
    with tempfile.TemporaryDirectory(prefix="velmora-carddav-") as tmp:
        trip = RoundTrip(program, tmp)
        try:
            trip.run()
        except Failed:
            print(f"radicale's log:\n{trip.server.log.read_text(errors='replace')[-4000:]}"
                  if trip.server.log.exists() else "", file=sys.stderr)
            raise
        finally:
            trip.server.stop()
    print("a CardDAV round trip carries changes both ways and a quiet run sends nothing")


if __name__ == "__main__":
    run_test(main, __doc__)
