"""Writes pictures drawn by a rule (x, y) -> colour tuple as PPM or PAM files, the
input the fixture scripts hand to ImageMagick."""


def write_ppm(path, width, height, rule):
    with open(path, "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (width, height))
        for y in range(height):
            for x in range(width):
                f.write(bytes(rule(x, y)))


def write_pam_rgba(path, width, height, rule):
    with open(path, "wb") as f:
        f.write(b"P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n"
                % (width, height))
        for y in range(height):
            for x in range(width):
                f.write(bytes(rule(x, y)))
