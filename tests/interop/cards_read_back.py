#!/usr/bin/python3
"""A second opinion on the cards Velmora writes: after a demo and a run,
python3-vobject reads every card in the folder, and each must say the names,
numbers, e-mail addresses and speed dials that the phone book and the sync
database hold, and carry a UID.

    cards_read_back.py VELMORA_SYNC
"""

import sqlite3
import sys
import tempfile

sys.dont_write_bytecode = True
from interop import (run_test, Failed, Velmora, check, check_agreement, fn_matches,  # noqa: E402
                     read_card_folder, read_phone_book, read_sync_database)

# Contacts only the phone has, so that the run makes cards for them: a number
# with a leading "+", an address with capitals, a name with a semicolon (an
# escape in N), and names that fill the phone's 22 characters, with letters
# beyond ASCII and without a comma. With each, the family and given names N
# must hold.
PHONE_ONLY = [
    ("Okafor, Chidi", ("Okafor", "Chidi"),
     [(4, "+442079460018"), (10, "Chidi.Okafor@Example.ORG")]),
    ("Lee; Sun, Ann", ("Lee; Sun", "Ann"), [(2, "6135550117")]),
    ("Þórisdóttir, Guðrún Ás", ("Þórisdóttir", "Guðrún Ás"),
     [(4, "3545550123"), (1, "143*55*9876")]),
    ("Featherstonehaugh-Okon", ("Featherstonehaugh-Okon", ""),
     [(3, "2025550164"), (0, "2025550165"), (9, "2025550166")]),
]


def add_phone_only_contacts(phone_book):
    with sqlite3.connect(phone_book) as db:
        next_id, next_speed = db.execute(
            "SELECT MAX(ContactID) + 1, MAX(SpeedDial) + 1 FROM tblContactList").fetchone()
        for name, _, numbers in PHONE_ONLY:
            for number_type, number in numbers:
                db.execute("INSERT INTO tblContactList (ContactID, ContactName, Number, NumberType,"
                           " SpeedDial, PhoneNumberLength) VALUES (?, ?, ?, ?, ?, 0)",
                           (next_id, name, number, number_type, next_speed))
                next_speed += 1
            next_id += 1


def main(program):
    with tempfile.TemporaryDirectory(prefix="velmora-read-back-") as home:
        velmora = Velmora(program, home)
        contacts = velmora.data / "Contacts"

        # Scenario: the demo's address book and phone book, some contacts on
        # both sides, some on one, plus the phone-only contacts above; one run
        # links, copies both ways and makes new cards.
        velmora.run("demo", "--contacts", "60", "--seed", "11")
        add_phone_only_contacts(velmora.data / "PhoneBook.db")
        demo_cards = {p.name for p in contacts.glob("*.vcf")}
        velmora.sync()

        cards = read_card_folder(contacts)
        made = [c for c in cards if c.source not in demo_cards]
        check(len(made) >= len(PHONE_ONLY),
              f"the run made {len(made)} cards; the phone had at least {len(PHONE_ONLY)} "
              "contacts the address book lacked")
        check(all(c.marked for c in made), "a card the run made does not take part: "
              + ", ".join(c.source for c in made if not c.marked))
        check(any(c.numbers for c in cards if c.source in demo_cards and c.contact_id),
              "no demo card was linked to the phone book")
        phone = read_phone_book(velmora.data / "PhoneBook.db")
        sync = read_sync_database(velmora.data / "Velmora.db")
        check_agreement(cards, phone, sync, "The cards as python3-vobject reads them")

        # The phone-only contacts came through whole: their cards are found
        # by the phone's name, N split as a vCard program expects, FN in
        # either order, and the numbers as the phone has them (the "+" kept).
        by_name = {c.name: c for c in made}
        for name, (family, given), _ in PHONE_ONLY:
            check(name in by_name, f"no card was made for {name!r}; made: {sorted(by_name)}")
            card = by_name[name]
            check((card.family, card.given) == (family, given),
                  f"{card.source}: N holds {card.family!r};{card.given!r} for {name!r}")
            check(card.fn and fn_matches(card.fn, name),
                  f"{card.source}: FN {card.fn!r} does not say {name!r}")
        okafor = by_name["Okafor, Chidi"]
        check(any(v.lower() == "chidi.okafor@example.org" for v in okafor.raw_numbers.values()),
              f"Okafor, Chidi's card lost the e-mail address: {okafor.raw_numbers}")
        check(any(n == "+442079460018" for n in okafor.numbers.values()),
              f"Okafor, Chidi's card lost the leading '+': {okafor.raw_numbers}")

        # Scenario: the run after it finds everything in step.
        velmora.quiet_sync(contacts)
    print("every card Velmora wrote reads back the same with python3-vobject")


if __name__ == "__main__":
    run_test(main, __doc__)
