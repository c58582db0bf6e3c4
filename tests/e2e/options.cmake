# (empty until its tests land)
