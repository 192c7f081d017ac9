"""The real-world drawings beside the repository, for the ezdxf checks."""
import os


def realworld_drawings(realworld, realworld_binary):
    """The .dxf files of both folders (VRK_REALWORLD_DIR and VRK_REALWORLD_BINARY_DIR in the environment
    replace them); an absent folder is said and skipped."""
    drawings = []
    for variable, folder in (("VRK_REALWORLD_DIR", realworld), ("VRK_REALWORLD_BINARY_DIR", realworld_binary)):
        folder = os.environ.get(variable) or folder
        if os.path.isdir(folder):
            drawings += sorted(os.path.join(folder, f) for f in os.listdir(folder) if f.endswith(".dxf"))
        else:
            print(f"skipped: no real-world drawings in {folder} (set VRK_REALWORLD_DIR or VRK_REALWORLD_BINARY_DIR)")
    return drawings
