"""What the robot saw, read back from its line format. Lines of actions that only confirm
(window, pressed, set, gone) carry nothing a test needs: a failed action fails the robot."""

from dataclasses import dataclass, field

SS_TYPEMASK = 0x1F
SS_ICON = 0x03
WS_VISIBLE = 0x10000000


@dataclass
class Control:
    id: int
    class_name: str
    style: int
    text: str

    @property
    def is_icon(self) -> bool:
        return self.class_name.lower() == "static" and self.style & SS_TYPEMASK == SS_ICON


@dataclass
class WindowReport:
    caption: str = ""
    class_name: str = ""
    style: int = 0
    controls: list[Control] = field(default_factory=list)
    checks: dict[int, int] = field(default_factory=dict)
    icons: dict[int, str] = field(default_factory=dict)

    def texts(self) -> list[str]:
        """The non-empty texts of the static controls, as a reader sees them."""
        return [control.text for control in self.controls
                if control.class_name.lower() == "static" and not control.is_icon
                and control.text]

    def message(self) -> str:
        """The text of a message box: its one static text."""
        texts = self.texts()
        if len(texts) != 1:
            raise AssertionError(f"not a message box: static texts {texts!r}")
        return texts[0]

    def buttons(self) -> list[str]:
        """The texts of the buttons a reader sees, in dialog order."""
        return [control.text for control in self.controls
                if control.class_name.lower() == "button" and control.style & WS_VISIBLE]

    def icon(self) -> str:
        """The kind of the one icon a message box shows, or "none"."""
        shown = [kind for kind in self.icons.values() if kind not in ("hidden", "none")]
        if len(shown) > 1:
            raise AssertionError(f"several icons: {shown}")
        return shown[0] if shown else "none"


def unescape(text: str) -> str:
    plain = []
    characters = iter(text)
    for c in characters:
        if c == "\\":
            c = {"n": "\n", "r": "\r", "t": "\t"}.get(next(characters, ""), "\\")
        plain.append(c)
    return "".join(plain)


def parse_report(output: str) -> WindowReport:
    report = WindowReport()
    for line in output.splitlines():
        tag, _, rest = line.partition(" ")
        if tag == "caption":
            report.caption = unescape(rest)
        elif tag == "class":
            report.class_name = unescape(rest)
        elif tag == "style":
            report.style = int(rest, 16)
        elif tag == "item":
            id, class_name, style, text = (rest.split(" ", 3) + [""])[:4]
            report.controls.append(Control(int(id), class_name, int(style, 16), unescape(text)))
        elif tag == "check":
            id, state = rest.split()
            report.checks[int(id)] = int(state)
        elif tag == "icon":
            id, kind = rest.split()
            report.icons[int(id)] = kind
    return report
