10'N DATA 1,2,3
6'Points nromç‹—šßÌ»ßObject and Faces from th'Points from the 3D Objecof Points
11 data 2000000000,2000000000
12'Points from the 3D Object
umber of Faces and Number h'Points2from the 3D Objecof Pots from the 3D Object
13 data 0.0,5.0,-7.3,100.0,0.1
14'Faces from the 3D Object
15 data 0,1,2
