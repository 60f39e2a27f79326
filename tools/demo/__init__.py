"""The sources of the demo game; tools/make_demo.py writes them into games/demo/."""
