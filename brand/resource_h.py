"""The launcher's figures that its resources and the kit share, read from
res/resource.h, where the program and its dialog template take them: the
standard dialog's rectangles and the picture's size."""
import os

HEADER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res", "resource.h")


def defines():
    """Each #define of resource.h whose value is numbers: one, or a tuple of several."""
    values = {}
    with open(HEADER) as f:
        for line in f:
            words = line.split(None, 2)
            if len(words) == 3 and words[0] == "#define":
                numbers = words[2].split("/*")[0].split(",")
                if all(n.strip().isdigit() for n in numbers):
                    values[words[1]] = tuple(int(n) for n in numbers) if len(numbers) > 1 else int(numbers[0])
    return values


DEFINES = defines()
