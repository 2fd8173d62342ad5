"""What the interop tests share: velmora-sync run in a home of its own, the
phone book and the sync database read with plain SQL, and cards read with
python3-vobject, a parser that shares no code with Velmora's own."""

import os
import re
import sqlite3
import subprocess
import sys
from dataclasses import dataclass, field
from pathlib import Path

try:
    import vobject
except ImportError:
    sys.exit("python3-vobject is missing (scripts/install-packages installs it)")

# Every wait is bounded, so a hung program fails the test instead of stalling it.
PROGRAM_TIMEOUT = 120

# The phone keeps the first 22 characters (code points) of a name.
PHONE_NAME_LENGTH = 22


class Failed(Exception):
    """A check that did not hold; the message says what was found."""


def check(condition, message):
    if not condition:
        raise Failed(message)


# The nine numbers: phone book NumberType, sync database column, speed-dial
# tag prefix. Written out here rather than taken from the C++ table, so that
# a mistake there shows up as a difference.
@dataclass(frozen=True)
class Kind:
    word: str
    number_type: int
    sync_column: str
    tag: str


KINDS = [
    Kind("second work", 0, "Work2", "W2"),
    Kind("direct connect", 1, "DirectConnect", "DC"),
    Kind("home", 2, "Home", "H"),
    Kind("work", 3, "Work1", "W1"),
    Kind("mobile", 4, "Mobile", "M"),
    Kind("fax", 5, "Fax", "F"),
    Kind("pager", 6, "Pager", "P"),
    Kind("other", 9, "Other", "O"),
    Kind("e-mail", 10, "Email", "E"),
]
KIND_BY_TYPE = {k.number_type: k for k in KINDS}
KIND_BY_TAG = {k.tag: k for k in KINDS}

_KEYPAD = {c: d for d, letters in {"2": "abc", "3": "def", "4": "ghi", "5": "jkl", "6": "mno",
                                    "7": "pqrs", "8": "tuv", "9": "wxyz"}.items()
           for c in letters}


def dialled(number):
    """A number as the phone dials it: digits, letters as their keypad digits,
    an extension marker dropped, a leading "+" kept (without it the number is
    another one). E-mail addresses compare without regard to letter case."""
    text = number.strip()
    if "@" in text:
        return text.lower()
    text = re.sub(r"(?i)(?:ext\.?|x)\s*(?=\d)", "", text)
    digits = "".join(c if c.isdigit() else _KEYPAD.get(c.lower(), "")
                     for c in text if c.isascii() and c.isalnum())
    return ("+" if text.startswith("+") else "") + digits


def by_tag(numbers):
    """{Kind: value} -> {"M": value, ...}, for short expectations."""
    return {kind.tag: value for kind, value in numbers.items()}


def phone_name(name):
    return name[:PHONE_NAME_LENGTH]


# --- the program ------------------------------------------------------------

class Velmora:
    """velmora-sync with its settings and program folder below `home`."""

    def __init__(self, program, home):
        self.program = str(program)
        self.home = Path(home)
        self.data = self.home / "data" / "Velmora" / "Data"
        self.env = dict(os.environ, HOME=str(self.home),
                        XDG_CONFIG_HOME=str(self.home / "config"),
                        XDG_DATA_HOME=str(self.home / "data"))
        self.last_output = ""

    def settings(self, **values):
        folder = self.home / "config" / "Velmora"
        folder.mkdir(parents=True, exist_ok=True)
        lines = ["[Settings]"] + [f"{key}={value}" for key, value in values.items()]
        (folder / "Velmora.conf").write_text("\n".join(lines) + "\n", encoding="utf-8")

    def run(self, *args):
        """Runs the program without a terminal; it must exit with 0."""
        done = subprocess.run([self.program, *args], env=self.env, stdin=subprocess.DEVNULL,
                              capture_output=True, text=True, timeout=PROGRAM_TIMEOUT)
        self.last_output = done.stdout + done.stderr
        check(done.returncode == 0,
              f"velmora-sync {' '.join(args)} exited with {done.returncode}:\n"
              f"{self.last_output}\n{self.log_text()}")
        return self.last_output

    def sync(self):
        # Nobody is at the terminal: a conflict keeps the phone's version,
        # names are taken as proposed.
        return self.run("sync", "--conflicts=phonebook", "--names=accept")

    def log_text(self):
        path = self.data / "SyncLog.txt"
        return path.read_text(encoding="utf-8", errors="replace") if path.exists() else ""

    def changes(self):
        """The log's lines about a contact ("... "): what the last run did."""
        return [line for line in self.log_text().splitlines() if line.startswith("... ")]

    def quiet_sync(self, contacts):
        """A run over stores in step: no line about a contact, no card touched."""
        before = folder_state(contacts)
        self.sync()
        check(self.changes() == [],
              "a run over stores in step changed something:\n" + "\n".join(self.changes()))
        after = folder_state(contacts)
        touched = sorted(n for n in before.keys() | after.keys() if before.get(n) != after.get(n))
        check(not touched, "a run over stores in step touched cards: " + ", ".join(touched))


def folder_state(folder):
    """Each card file's name with its inode, time and bytes: a rewrite shows."""
    state = {}
    for path in sorted(Path(folder).iterdir()):
        stat = path.stat()
        state[path.name] = (stat.st_ino, stat.st_mtime_ns, path.read_bytes())
    return state


# --- the two databases ------------------------------------------------------

@dataclass
class Contact:
    """One contact as a store holds it: its name, and per kind of number the
    number (as dialled) and its speed dial."""
    name: str
    numbers: dict = field(default_factory=dict)   # Kind -> dialled number
    speeds: dict = field(default_factory=dict)    # Kind -> int


def read_phone_book(path):
    """tblContactList, one contact per ContactID, rows in stored order."""
    contacts = {}
    with sqlite3.connect(f"file:{path}?mode=ro", uri=True) as db:
        rows = db.execute("SELECT ContactID, ContactName, Number, NumberType, SpeedDial "
                          "FROM tblContactList ORDER BY rowid").fetchall()
    for contact_id, name, number, number_type, speed in rows:
        contact = contacts.setdefault(int(contact_id), Contact(name))
        kind = KIND_BY_TYPE.get(number_type)
        if kind is None:
            continue
        check(kind not in contact.numbers,
              f"the phone book holds two {kind.word} rows for contact {contact_id}")
        contact.numbers[kind] = dialled(number or "")
        contact.speeds[kind] = int(speed)
    return contacts


def parse_speed_dial_tag(tag):
    """"W2:5,H:12,M:3" -> {Kind: speed dial}; an entry without a value is 0."""
    speeds = {}
    for entry in filter(None, (tag or "").split(",")):
        prefix, _, value = entry.partition(":")
        kind = KIND_BY_TAG.get(prefix.strip())
        check(kind is not None, f"speed-dial tag {tag!r} holds an unknown entry {entry!r}")
        speeds[kind] = int(value) if value.strip() else 0
    return speeds


def read_sync_database(path):
    contacts = {}
    columns = ", ".join(k.sync_column for k in KINDS)
    with sqlite3.connect(f"file:{path}?mode=ro", uri=True) as db:
        rows = db.execute(f"SELECT ContactID, Name, SpeedDial, {columns} FROM SyncContacts")
        for contact_id, name, tag, *numbers in rows.fetchall():
            contact = Contact(name)
            speeds = parse_speed_dial_tag(tag)
            for kind, number in zip(KINDS, numbers):
                if number:
                    contact.numbers[kind] = dialled(number)
                    contact.speeds[kind] = speeds.get(kind, 0)
            contacts[int(contact_id)] = contact
    return contacts


# --- cards, read with python3-vobject --------------------------------------

@dataclass
class Card:
    source: str          # file or server address, for messages
    uid: str
    fn: str | None       # None: no FN line
    family: str
    given: str
    file_as: str | None
    marked: bool
    group: bool
    contact_id: int | None
    numbers: dict        # Kind -> dialled number
    speeds: dict         # Kind -> int, from X-VELMORA-SPEED-DIALS
    raw_numbers: dict    # Kind -> the number as the card has it

    @property
    def name(self):
        """The name the phone keeps for the card, made as the address book's
        "file as": X-EVOLUTION-FILE-AS, else "Last, First" from N, else FN."""
        if self.file_as:
            return self.file_as
        if self.family or self.given:
            return ", ".join(part for part in (self.family, self.given) if part)
        return self.fn or ""


def _value(component, name):
    lines = component.contents.get(name.lower(), [])
    return lines[0].value if lines else None


def _tel_types(line):
    types = set()
    for value in line.params.get("TYPE", []):
        types.update(t.strip().lower() for t in value.split(","))
    types.update(p.lower() for p in line.singletonparams)
    return types


def card_from_component(component, source):
    uid = (_value(component, "uid") or "").strip()
    family = given = ""
    if "n" in component.contents:
        n = component.n.value
        family, given = str(n.family or ""), str(n.given or "")
    kind_value = (_value(component, "kind") or "").strip().lower()
    group = (kind_value == "group"
             or (_value(component, "x-addressbookserver-kind") or "").strip().lower() == "group"
             or (_value(component, "x-evolution-list") or "").strip().upper() == "TRUE")
    contact_id = _value(component, "x-velmora-contact-id")
    raw = {}
    # Every TEL belongs to one class, in this order of precedence.
    works = []
    for line in component.contents.get("tel", []):
        types = _tel_types(line)
        value = str(line.value)
        if value.lower().startswith("tel:"):
            value = value[4:]
        if "fax" in types:
            raw.setdefault(KIND_BY_TAG["F"], value)
        elif "pager" in types:
            raw.setdefault(KIND_BY_TAG["P"], value)
        elif "cell" in types:
            raw.setdefault(KIND_BY_TAG["M"], value)
        elif "work" in types:
            works.append(value)
        elif "home" in types:
            raw.setdefault(KIND_BY_TAG["H"], value)
        else:
            raw.setdefault(KIND_BY_TAG["O"], value)
    for kind, value in zip((KIND_BY_TAG["W1"], KIND_BY_TAG["W2"]), works):
        raw[kind] = value
    if (dc := _value(component, "x-velmora-direct-connect")) is not None:
        raw[KIND_BY_TAG["DC"]] = dc
    if (email := _value(component, "email")) is not None:
        raw[KIND_BY_TAG["E"]] = email
    raw = {kind: value for kind, value in raw.items() if value.strip()}
    return Card(
        source=source, uid=uid, fn=_value(component, "fn"), family=family, given=given,
        file_as=_value(component, "x-evolution-file-as"),
        marked=(_value(component, "x-velmora-sync") or "").strip().lower() in ("yes", "y"),
        group=group,
        contact_id=int(contact_id.strip()) if contact_id and contact_id.strip() else None,
        numbers={kind: dialled(value) for kind, value in raw.items()},
        speeds=parse_speed_dial_tag(_value(component, "x-velmora-speed-dials")),
        raw_numbers=raw)


def parse_cards(text, source):
    """Every card of a file or a server resource; a card vobject cannot read
    fails the test, naming where it came from."""
    try:
        components = list(vobject.readComponents(text))
    except Exception as error:  # vobject raises several kinds
        raise Failed(f"python3-vobject cannot read {source}: {error}\n{text}") from error
    check(components, f"{source} holds no card")
    for component in components:
        check(component.name == "VCARD", f"{source} holds a {component.name}, not a VCARD")
    return [card_from_component(c, source) for c in components]


def read_card_folder(folder):
    cards = []
    for path in sorted(Path(folder).glob("*.vcf")):
        cards += parse_cards(path.read_bytes().decode("utf-8"), path.name)
    return cards


# --- the comparison -----------------------------------------------------------

def fn_matches(fn, name):
    """FN says the phone's name, in its "Last, First" form or as "First Last"
    (any split of FN's words into first and last names)."""
    if phone_name(fn) == name:
        return True
    words = fn.split()
    return any(phone_name(" ".join(words[i:]) + ", " + " ".join(words[:i])) == name
               for i in range(1, len(words)))


def describe(contact):
    return (f"{contact.name!r} "
            + ", ".join(f"{k.word} {v} ({contact.speeds.get(k)})" for k, v in
                        sorted(contact.numbers.items(), key=lambda item: item[0].number_type)))


def compare_with_stores(cards, phone, sync):
    """Every way the cards, the phone book and the sync database disagree; []
    when they hold the same contacts with the same names, numbers, e-mail
    addresses and speed dials."""
    problems = []
    uids = {}
    for card in cards:
        if not card.uid:
            problems.append(f"{card.source}: the card has no UID")
        elif card.uid in uids:
            problems.append(f"{card.source}: UID {card.uid} is also on {uids[card.uid]}")
        else:
            uids[card.uid] = card.source
    seen = {}
    for card in cards:
        if card.group:
            continue
        if not card.marked:
            if card.contact_id in phone:
                problems.append(f"{card.source}: the card does not take part, yet the phone "
                                f"book holds its contact ID {card.contact_id}")
            continue
        if card.contact_id is None:
            if card.numbers:
                problems.append(f"{card.source}: the card takes part and has numbers, "
                                f"but no contact ID")
            continue
        if card.contact_id in seen:
            problems.append(f"{card.source}: contact ID {card.contact_id} is also on "
                            f"{seen[card.contact_id]}")
            continue
        seen[card.contact_id] = card.source
        where = f"{card.source} (contact {card.contact_id})"
        if not card.fn or not card.fn.strip():
            problems.append(f"{where}: FN is missing or empty")
        if not (card.family or card.given):
            problems.append(f"{where}: N holds no name")
        on_phone, remembered = phone.get(card.contact_id), sync.get(card.contact_id)
        if on_phone is None or remembered is None:
            problems.append(f"{where}: missing from the "
                            + ("phone book" if on_phone is None else "sync database"))
            continue
        if phone_name(card.name) != on_phone.name:
            problems.append(f"{where}: the card's name {card.name!r} is not the phone's "
                            f"{on_phone.name!r}")
        if card.fn and card.fn.strip() and not fn_matches(card.fn, on_phone.name):
            problems.append(f"{where}: FN {card.fn!r} does not say the phone's name "
                            f"{on_phone.name!r}")
        if card.family or card.given:
            from_n = ", ".join(p for p in (card.family, card.given) if p)
            if phone_name(from_n) != on_phone.name:
                problems.append(f"{where}: N says {from_n!r}, the phone {on_phone.name!r}")
        if phone_name(remembered.name) != on_phone.name:
            problems.append(f"{where}: the sync database remembers the name "
                            f"{remembered.name!r}, the phone holds {on_phone.name!r}")
        if not (card.numbers == on_phone.numbers == remembered.numbers):
            problems.append(f"{where}: the numbers differ\n  card:  {describe(card_as_contact(card))}"
                            f"\n  phone: {describe(on_phone)}\n  sync:  {describe(remembered)}")
        card_speeds = {k: card.speeds.get(k) for k in card.numbers}
        if not (card_speeds == on_phone.speeds == remembered.speeds):
            problems.append(f"{where}: the speed dials differ\n  card:  {by_tag(card_speeds)}"
                            f"\n  phone: {by_tag(on_phone.speeds)}"
                            f"\n  sync:  {by_tag(remembered.speeds)}")
    for contact_id, contact in sorted(phone.items()):
        if contact_id not in seen:
            problems.append(f"phone book contact {contact_id} {contact.name!r} is on no card "
                            "that takes part")
    for contact_id, contact in sorted(sync.items()):
        if contact_id not in phone:
            problems.append(f"the sync database remembers contact {contact_id} "
                            f"{contact.name!r}, which the phone book does not hold")
    return problems


def card_as_contact(card):
    return Contact(card.name, card.numbers, {k: card.speeds.get(k) for k in card.numbers})


def check_agreement(cards, phone, sync, what):
    problems = compare_with_stores(cards, phone, sync)
    check(not problems, f"{what} and the phone book disagree:\n" + "\n".join(problems))


def run_test(main, usage):
    """Runs a test's main with the build folder from the command line; a
    failure ends the process with its reason."""
    if len(sys.argv) != 2:
        sys.exit(usage)
    try:
        main(sys.argv[1])
    except Failed as failure:
        sys.exit(f"FAILED: {failure}")
    except subprocess.TimeoutExpired as timeout:
        sys.exit(f"FAILED: {' '.join(map(str, timeout.cmd))} did not end within "
                 f"{timeout.timeout} s")
