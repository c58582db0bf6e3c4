# (empty until its sources land)
