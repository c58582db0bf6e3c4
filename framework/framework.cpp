// Anchor of the framework library; the pieces live in their own files.
