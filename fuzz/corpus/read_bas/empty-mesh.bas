10'Number of Faces and Number of Points
11 data -1,-1
12'Points from the 3D Object
13'Faces from the 3D Object
